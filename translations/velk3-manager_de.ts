<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CAboutDialog</name>
    <message>
        <source>About VELK3 Manager</source>
        <translation>Über VELK3 Manager</translation>
    </message>
    <message>
        <source>VELK3 Manager Version 2.0</source>
        <translation>VELK3 Manager Version 2.0</translation>
    </message>
    <message>
        <source>Made by Varnholt Software for the VELK player</source>
        <translation>Von Varnholt Software für den VELK-Player</translation>
    </message>
</context>
<context>
    <name>CControlList</name>
    <message>
        <source> (checked)</source>
        <translation> (aktiviert)</translation>
    </message>
    <message>
        <source> (unchecked)</source>
        <translation> (nicht aktiviert)</translation>
    </message>
</context>
<context>
    <name>CControlListEditor</name>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
</context>
<context>
    <name>CManagerDialog</name>
    <message>
        <source>VELK v3.0 (*.velk);;All Files (*)</source>
        <translation>VELK v3.0 (*.velk);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>VELK Image Files (*.img);;All Files (*)</source>
        <translation>VELK-Abbilddateien (*.img);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Add routine</source>
        <translation>Routine hinzufügen</translation>
    </message>
    <message>
        <source>Load firmware</source>
        <translation>Firmware laden</translation>
    </message>
    <message>
        <source>Varnholt Software - VELK3 Manager</source>
        <translation>Varnholt Software - VELK3 Manager</translation>
    </message>
    <message>
        <source>Open card image...</source>
        <translation>Kartenabbild öffnen...</translation>
    </message>
    <message>
        <source>&amp;About VELK3 Manager...</source>
        <translation>&amp;Über VELK3 Manager...</translation>
    </message>
    <message>
        <source>Current Device</source>
        <translation>Aktuelles Gerät</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Routines</source>
        <translation>Routinen</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Add routine...</source>
        <translation>Routine hinzufügen...</translation>
    </message>
    <message>
        <source>Remove last routine</source>
        <translation>Letzte Routine entfernen</translation>
    </message>
    <message>
        <source>Format disk</source>
        <translation>Karte formatieren</translation>
    </message>
    <message>
        <source>Edit schedules...</source>
        <translation>Zeitpläne bearbeiten...</translation>
    </message>
    <message>
        <source>Load firmware...</source>
        <translation>Firmware laden...</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Open card image</source>
        <translation>Kartenabbild öffnen</translation>
    </message>
    <message>
        <source>Card images (*.img *.bin);;All Files (*)</source>
        <translation>Kartenabbilder (*.img *.bin);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The firmware is being written to the VELK. Cutting this off can damage it.

VELK3 Manager will close as soon as the update has ended.</source>
        <translation>Die Firmware wird gerade auf den VELK geschrieben. Ein Abbruch kann ihn beschädigen.

VELK3 Manager wird geschlossen, sobald die Aktualisierung beendet ist.</translation>
    </message>
    <message>
        <source>VELK3 Manager</source>
        <translation>VELK3 Manager</translation>
    </message>
    <message>
        <source>Keep Open</source>
        <translation>Geöffnet lassen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Back up card</source>
        <translation>Karte sichern</translation>
    </message>
    <message>
        <source>Restore card</source>
        <translation>Karte wiederherstellen</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>A VELK is waiting in its boot mode, as after an interrupted firmware update.

Load firmware now?</source>
        <translation>Ein VELK wartet in seinem Boot-Modus, wie nach einer unterbrochenen Firmware-Aktualisierung.

Jetzt Firmware laden?</translation>
    </message>
    <message>
        <source>Back up card...</source>
        <translation>Karte sichern...</translation>
    </message>
    <message>
        <source>Restore card...</source>
        <translation>Karte wiederherstellen...</translation>
    </message>
    <message>
        <source>The card is being written.

Cancel now (the card keeps what it held before), or close VELK3 Manager when the work has ended?</source>
        <translation type="vanished">Die Karte wird gerade beschrieben.

Jetzt abbrechen (die Karte behält ihren bisherigen Inhalt) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>Cancel and Close</source>
        <translation>Abbrechen und schließen</translation>
    </message>
    <message>
        <source>Close When Done</source>
        <translation>Danach schließen</translation>
    </message>
    <message>
        <source>The card is being written. Cutting this off could damage what it holds.

VELK3 Manager will close as soon as the work has ended.</source>
        <translation type="vanished">Die Karte wird gerade beschrieben. Ein Abbruch könnte ihren Inhalt beschädigen.

VELK3 Manager wird geschlossen, sobald die Arbeit beendet ist.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a routine file, not a card image.

Use Add routine... to put it on a card.</source>
        <translation>&quot;%1&quot; ist eine Routinedatei, kein Kartenabbild.

Mit Routine hinzufügen... kommt sie auf eine Karte.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a card image: its size is not a whole number of 512-byte sectors.

&quot;velk3 image&quot; makes an empty card image.</source>
        <translation>&quot;%1&quot; ist kein Kartenabbild: Seine Größe ist kein Vielfaches von 512-Byte-Sektoren.

&quot;velk3 image&quot; erstellt ein leeres Kartenabbild.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds data and no VELK disk.

Formatting it or adding a routine to it will overwrite it. Open it as a card image anyway?</source>
        <translation>&quot;%1&quot; enthält Daten und keinen VELK-Datenträger.

Formatieren oder eine Routine hinzufügen überschreibt die Datei. Trotzdem als Kartenabbild öffnen?</translation>
    </message>
    <message>
        <source>Could not open card image %1 (%2)</source>
        <translation>Kartenabbild %1 konnte nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>There is no card to add &quot;%1&quot; to.

Insert a card, attach a VELK or open a card image first.</source>
        <translation>Es gibt keine Karte, zu der &quot;%1&quot; hinzugefügt werden kann.

Stecken Sie zuerst eine Karte ein, schließen Sie einen VELK an oder öffnen Sie ein Kartenabbild.</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>The work ended with an unexpected failure.</source>
        <translation>Die Arbeit endete mit einem unerwarteten Fehler.</translation>
    </message>
    <message>
        <source>Routines are being added to the card.

Cancel now (the routine being added is left off the card, any added before it stay), or close VELK3 Manager when the work has ended?</source>
        <translation>Routinen werden zur Karte hinzugefügt.

Jetzt abbrechen (die gerade hinzugefügte Routine kommt nicht auf die Karte, zuvor hinzugefügte bleiben) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>The last routine is being removed from the card.

Cancel now (once the removal has begun it is finished first), or close VELK3 Manager when the work has ended?</source>
        <translation>Die letzte Routine wird von der Karte entfernt.

Jetzt abbrechen (hat das Entfernen schon begonnen, wird es erst zu Ende geführt) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>The card is being formatted.

Cancel now (once formatting has begun it is finished first), or close VELK3 Manager when the work has ended?</source>
        <translation>Die Karte wird formatiert.

Jetzt abbrechen (hat das Formatieren schon begonnen, wird es erst zu Ende geführt) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>The card&apos;s schedules are being edited and written. Cutting this off could damage what the card holds.

VELK3 Manager will close as soon as the work has ended.</source>
        <translation>Die Zeitpläne der Karte werden bearbeitet und geschrieben. Ein Abbruch könnte den Inhalt der Karte beschädigen.

VELK3 Manager wird geschlossen, sobald die Arbeit beendet ist.</translation>
    </message>
    <message>
        <source>The card is being backed up to an image file.

Cancel now (no backup is written; the card stays as it is), or close VELK3 Manager when the backup has ended?</source>
        <translation>Die Karte wird in eine Abbilddatei gesichert.

Jetzt abbrechen (es wird keine Sicherung geschrieben; die Karte bleibt, wie sie ist) oder VELK3 Manager schließen, wenn die Sicherung beendet ist?</translation>
    </message>
    <message>
        <source>The card is being restored from an image.

Cancel now (the card is then left without a VELK disk: restore it again or format it), or close VELK3 Manager when the restore has ended?</source>
        <translation>Die Karte wird aus einem Abbild wiederhergestellt.

Jetzt abbrechen (die Karte enthält dann keinen VELK-Datenträger mehr: Stellen Sie sie erneut wieder her oder formatieren Sie sie) oder VELK3 Manager schließen, wenn die Wiederherstellung beendet ist?</translation>
    </message>
    <message>
        <source>A routine is being saved as a file.

Cancel now (no routine file is written; the card is not changed), or close VELK3 Manager when the work has ended?</source>
        <translation>Eine Routine wird als Datei gespeichert.

Jetzt abbrechen (es wird keine Routinedatei geschrieben; die Karte bleibt unverändert) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>The card&apos;s routines are being rearranged.

Cancel now (until the new order is in place the card keeps its routines as they were; after that the work ends first), or close VELK3 Manager when the work has ended?</source>
        <translation>Die Routinen der Karte werden neu angeordnet.

Jetzt abbrechen (bis die neue Reihenfolge steht, behält die Karte ihre Routinen wie zuvor; danach wird die Arbeit erst beendet) oder VELK3 Manager schließen, wenn die Arbeit beendet ist?</translation>
    </message>
    <message>
        <source>Routine %1 &quot;%2&quot; was saved as %3.</source>
        <translation>Routine %1 „%2“ wurde als %3 gespeichert.</translation>
    </message>
</context>
<context>
    <name>CRenameRoutineDialog</name>
    <message>
        <source>Rename Routine</source>
        <translation>Routine umbenennen</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>New title of routine %1 (at most %2 bytes):</source>
        <translation>Neuer Titel der Routine %1 (höchstens %2 Bytes):</translation>
    </message>
</context>
<context>
    <name>CRoutineListEditing</name>
    <message>
        <source>Routine</source>
        <translation>Routine</translation>
    </message>
    <message>
        <source>Remove Routine</source>
        <translation>Routine entfernen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Rename...</source>
        <translation>Umbenennen...</translation>
    </message>
    <message>
        <source>Replace...</source>
        <translation>Ersetzen...</translation>
    </message>
    <message>
        <source>Save as Routine File...</source>
        <translation>Als Routinendatei speichern...</translation>
    </message>
    <message>
        <source>Replace Routine</source>
        <translation>Routine ersetzen</translation>
    </message>
    <message>
        <source>Save as Routine File</source>
        <translation>Als Routinendatei speichern</translation>
    </message>
</context>
<context>
    <name>CSchedulePreviewPane</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Next plays</source>
        <translation>Nächste Wiedergaben</translation>
    </message>
    <message>
        <source>Week</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Spur</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation>Zeitplan</translation>
    </message>
    <message>
        <source>No schedule plays in the next %1 years.</source>
        <translation>Kein Zeitplan spielt in den nächsten %1 Jahren.</translation>
    </message>
</context>
<context>
    <name>CScheduleTexts</name>
    <message>
        <source>%1  track %2  %3  (schedule %4)</source>
        <translation>%1  Spur %2  %3  (Zeitplan %4)</translation>
    </message>
    <message>
        <source>no plays</source>
        <translation>keine Wiedergabe</translation>
    </message>
    <message>
        <source>1 play</source>
        <translation>1 Wiedergabe</translation>
    </message>
    <message>
        <source>%1 plays</source>
        <translation>%1 Wiedergaben</translation>
    </message>
</context>
<context>
    <name>CScheduleWeekModel</name>
    <message>
        <source>%1, %2:00 to %3:59</source>
        <translation>%1, %2:00 bis %3:59</translation>
    </message>
    <message>
        <source>past</source>
        <translation>vorbei</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>und %1 weitere</translation>
    </message>
</context>
<context>
    <name>CScheduleWeekView</name>
    <message>
        <source>Week</source>
        <translation>Woche</translation>
    </message>
</context>
<context>
    <name>CSchedulerDialog</name>
    <message>
        <source>Schedule</source>
        <translation>Zeitplan</translation>
    </message>
    <message>
        <source>The scheduler will play the specified track when the conditions of the Minutes, Hours, Weekdays, Days of month, and Months fields are all satisfied.</source>
        <translation>Der Zeitplaner spielt die angegebene Spur, wenn die Bedingungen der Felder Minuten, Stunden, Wochentage, Tage im Monat und Monate alle erfüllt sind.</translation>
    </message>
    <message>
        <source>Use a comma (&apos;,&apos;) to specify a list of values, for example: &quot;1,3,4,7,8&quot;.</source>
        <translation>Mit einem Komma (&apos;,&apos;) geben Sie eine Liste von Werten an, zum Beispiel: &quot;1,3,4,7,8&quot;.</translation>
    </message>
    <message>
        <source>Use the asterisk (&apos;*&apos;) to specify all possible values for a field. For example, an asterisk in the hour time field would be equivalent to &apos;every hour&apos;. See the manual for details and examples.</source>
        <translation>Mit dem Sternchen (&apos;*&apos;) geben Sie alle möglichen Werte eines Feldes an. Ein Sternchen im Feld der Stunden bedeutet zum Beispiel &apos;jede Stunde&apos;. Einzelheiten und Beispiele stehen im Handbuch.</translation>
    </message>
    <message>
        <source>Minutes: 0-59
Hours: 0-23 (Military time)
Weekdays: 1-7 (1=Sun, 7=Sat)
Days of month: 1-31
Months: 1-12 (1=Jan, 12=Dec)</source>
        <translation>Minuten: 0-59
Stunden: 0-23 (24-h-Format)
Wochentage: 1-7 (1=So, 7=Sa)
Tage im Monat: 1-31
Monate: 1-12 (1=Jan, 12=Dez)</translation>
    </message>
    <message>
        <source>Schedules</source>
        <translation>Zeitpläne</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Spur</translation>
    </message>
</context>
<context>
    <name>CTimeEditCtrl</name>
    <message>
        <source>Hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>Hundredths</source>
        <translation>Hundertstel</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Nach unten</translation>
    </message>
</context>
<context>
    <name>velk3core</name>
    <message>
        <source>CDirectXUtils Error!</source>
        <translation type="vanished">CDirectXUtils-Fehler!</translation>
    </message>
    <message>
        <source>Unable to access VELK</source>
        <translation>Kein Zugriff auf den VELK</translation>
    </message>
    <message>
        <source>Reading Card</source>
        <translation>Karte wird gelesen</translation>
    </message>
    <message>
        <source>Writing Card</source>
        <translation>Karte wird geschrieben</translation>
    </message>
    <message>
        <source>Verifying</source>
        <translation>Wird überprüft</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>Weekdays</source>
        <translation>Wochentage</translation>
    </message>
    <message>
        <source>Days of month</source>
        <translation>Tage im Monat</translation>
    </message>
    <message>
        <source>Months</source>
        <translation>Monate</translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation>Firmware-Aktualisierung</translation>
    </message>
    <message>
        <source>Firmware Error</source>
        <translation>Firmware-Fehler</translation>
    </message>
    <message>
        <source>Firmware Success</source>
        <translation>Firmware erfolgreich</translation>
    </message>
    <message>
        <source>An incompatible device was found.</source>
        <translation>Es wurde ein inkompatibles Gerät gefunden.</translation>
    </message>
    <message>
        <source>Flash was not verified.</source>
        <translation>Die Überprüfung des Flash-Speichers ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Erasing</source>
        <translation>Wird gelöscht</translation>
    </message>
    <message>
        <source>Programming</source>
        <translation>Wird programmiert</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Converting Audio</source>
        <translation>Audio wird umgewandelt</translation>
    </message>
    <message>
        <source>Writing MP3</source>
        <translation>MP3 wird geschrieben</translation>
    </message>
    <message>
        <source>Writing Data</source>
        <translation>Daten werden geschrieben</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>This drive must be formatted as an VELK disk and will DELETE ALL DATA.

Do you wish to continue?</source>
        <translation>Dieses Laufwerk muss als VELK-Datenträger formatiert werden; dabei werden ALLE DATEN GELÖSCHT.

Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Are you sure you want to format the disk?</source>
        <translation>Möchten Sie den Datenträger wirklich formatieren?</translation>
    </message>
    <message>
        <source>Are you sure you want to remove the last track?</source>
        <translation>Möchten Sie die letzte Spur wirklich entfernen?</translation>
    </message>
    <message>
        <source>The card is mounted at %s.

Unmount it and continue?</source>
        <translation type="vanished">Die Karte ist unter %s eingehängt.

Aushängen und fortfahren?</translation>
    </message>
    <message>
        <source>Restoring the image will replace everything on this card and will DELETE ALL DATA on it.

Do you wish to continue?</source>
        <translation type="vanished">Beim Wiederherstellen des Abbilds wird alles auf dieser Karte ersetzt, und ALLE DATEN darauf werden GELÖSCHT.

Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>The VELK is no longer attached.</source>
        <translation>Der VELK ist nicht mehr angeschlossen.</translation>
    </message>
    <message>
        <source>The card does not hold a VELK disk; there is nothing to back up.</source>
        <translation>Die Karte enthält keinen VELK-Datenträger; es gibt nichts zu sichern.</translation>
    </message>
    <message>
        <source>The image does not hold a VELK disk; nothing was written.</source>
        <translation>Das Abbild enthält keinen VELK-Datenträger; es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The flash card is using an unsupported version of the VELK file format.
Please use the appropriate version of VELK3 Manager or format the card.</source>
        <translation>Die Flash-Karte verwendet eine nicht unterstützte Version des VELK-Dateiformats.
Bitte verwenden Sie die passende Version von VELK3 Manager oder formatieren Sie die Karte.</translation>
    </message>
    <message>
        <source>Unrecognized Flash Format</source>
        <translation>Unbekanntes Flash-Format</translation>
    </message>
    <message>
        <source>The card does not hold a VELK disk: format it first.</source>
        <translation>Die Karte enthält keinen VELK-Datenträger: Formatieren Sie sie zuerst.</translation>
    </message>
    <message>
        <source>Cancelled: the card is unchanged.</source>
        <translation>Abgebrochen: Die Karte ist unverändert.</translation>
    </message>
    <message>
        <source>Cancelled: the card now holds an empty VELK disk.</source>
        <translation>Abgebrochen: Die Karte enthält jetzt einen leeren VELK-Datenträger.</translation>
    </message>
    <message>
        <source>Cancelled: no backup was written.</source>
        <translation>Abgebrochen: Es wurde keine Sicherung geschrieben.</translation>
    </message>
    <message>
        <source>Cancelled: the restore was cut short, so the card no longer holds a VELK disk. Restore it again or format it.</source>
        <translation>Abgebrochen: Die Wiederherstellung wurde unterbrochen, daher enthält die Karte keinen VELK-Datenträger mehr. Stellen Sie sie erneut wieder her oder formatieren Sie sie.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>Cancelled: no routine file was written.</source>
        <translation>Abgebrochen: Es wurde keine Routinedatei geschrieben.</translation>
    </message>
    <message>
        <source>Moving Routines</source>
        <translation>Routinen werden verschoben</translation>
    </message>
    <message>
        <source>never plays</source>
        <translation>spielt nie</translation>
    </message>
    <message>
        <source>no such routine</source>
        <translation>Routine fehlt auf der Karte</translation>
    </message>
    <message>
        <source>same minute as schedule %1</source>
        <translation>gleiche Minute wie Zeitplan %1</translation>
    </message>
    <message>
        <source>same minute as schedules %1</source>
        <translation>gleiche Minute wie Zeitpläne %1</translation>
    </message>
    <message>
        <source>same minute as schedules %1 and %2 more</source>
        <translation>gleiche Minute wie Zeitpläne %1 und %2 weitere</translation>
    </message>
    <message>
        <source>The card has been backed up to %1 (%2 of %3 sectors in use).</source>
        <translation>Die Karte wurde nach %1 gesichert (%2 von %3 Sektoren belegt).</translation>
    </message>
    <message>
        <source>The card has been restored from %1 and verified (%2 sectors).</source>
        <translation>Die Karte wurde aus %1 wiederhergestellt und überprüft (%2 Sektoren).</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Spur</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Size (MB)</source>
        <translation>Größe (MB)</translation>
    </message>
    <message>
        <source>Baud Rate (bps)</source>
        <translation>Baudrate (bit/s)</translation>
    </message>
    <message>
        <source>Frame Rate (ms)</source>
        <translation>Framerate (ms)</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>No card reader with a card and no VELK found</source>
        <translation>Kein Kartenleser mit Karte und kein VELK gefunden</translation>
    </message>
    <message>
        <source>FFmpeg cannot be loaded: %1 (%2)</source>
        <translation>FFmpeg kann nicht geladen werden: %1 (%2)</translation>
    </message>
    <message>
        <source>FFmpeg cannot be loaded: %1</source>
        <translation>FFmpeg kann nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>Unable to read mp3 frame</source>
        <translation>MP3-Frame kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Unable to write file</source>
        <translation>Datei kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Unable to read file</source>
        <translation>Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>The card in %1 is no longer there (the card was taken out or the reader unplugged).</source>
        <translation>Die Karte in %1 ist nicht mehr da (die Karte wurde entnommen oder das Lesegerät abgezogen).</translation>
    </message>
    <message>
        <source>%1 now holds another card than the one listed. Choose it again in the list.</source>
        <translation>In %1 steckt jetzt eine andere Karte als die aufgeführte. Wählen Sie es in der Liste erneut aus.</translation>
    </message>
    <message>
        <source>%1 is no longer a removable card reader, so VELK3 Manager does not use it.</source>
        <translation>%1 ist kein Wechsel-Kartenlesegerät mehr, daher verwendet VELK3 Manager es nicht.</translation>
    </message>
    <message>
        <source>The card image %1 is no longer there.</source>
        <translation>Das Kartenabbild %1 ist nicht mehr da.</translation>
    </message>
    <message>
        <source>Unable to open device</source>
        <translation>Gerät kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>%1 holds the running system (a system mount or swap); it is never used as a card</source>
        <translation>%1 enthält das laufende System (eine Systemeinhängung oder Auslagerung); es wird nie als Karte verwendet</translation>
    </message>
    <message>
        <source>%1 is not a removable card reader; pass --allow-fixed to use it anyway</source>
        <translation>%1 ist kein Wechsel-Kartenlesegerät; geben Sie --allow-fixed an, um es trotzdem zu verwenden</translation>
    </message>
    <message>
        <source>The card image %1 has been replaced by another file since it was listed.</source>
        <translation>Das Kartenabbild %1 wurde seit dem Auflisten durch eine andere Datei ersetzt.</translation>
    </message>
    <message>
        <source>A drive is already opened</source>
        <translation>Ein Laufwerk ist bereits geöffnet</translation>
    </message>
    <message>
        <source>An image must hold between 1 and 4294967295 sectors</source>
        <translation>Ein Abbild muss zwischen 1 und 4294967295 Sektoren enthalten</translation>
    </message>
    <message>
        <source>Could not create image %1 (%2)</source>
        <translation>Abbild %1 konnte nicht erstellt werden (%2)</translation>
    </message>
    <message>
        <source>Could not size image %1 (%2)</source>
        <translation>Größe des Abbilds %1 konnte nicht festgelegt werden (%2)</translation>
    </message>
    <message>
        <source>Could not open image %1 (%2)</source>
        <translation>Abbild %1 konnte nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>Could not open image %1 (it is in use by another command)</source>
        <translation>Abbild %1 konnte nicht geöffnet werden (es wird von einem anderen Befehl verwendet)</translation>
    </message>
    <message>
        <source>Unable to write sector (flushing %1 failed: %2)</source>
        <translation>Sektor kann nicht geschrieben werden (Leeren des Puffers von %1 fehlgeschlagen: %2)</translation>
    </message>
    <message>
        <source>Unable to read sector</source>
        <translation>Sektor kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Unable to write sector</source>
        <translation>Sektor kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Unable to write sector (flushing the card failed: %1)</source>
        <translation>Sektor kann nicht geschrieben werden (Leeren des Puffers der Karte fehlgeschlagen: %1)</translation>
    </message>
    <message>
        <source>Unable to open drive</source>
        <translation>Laufwerk kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Could not open drive (%1)</source>
        <translation>Laufwerk konnte nicht geöffnet werden (%1)</translation>
    </message>
    <message>
        <source>Could not open drive (its sectors are %1 bytes; VELK cards use 512-byte sectors)</source>
        <translation>Laufwerk konnte nicht geöffnet werden (seine Sektoren sind %1 Byte groß; VELK-Karten verwenden 512-Byte-Sektoren)</translation>
    </message>
    <message>
        <source>
Please run VELK3 Manager as root, or join the &quot;disk&quot; group, to use this card reader.</source>
        <translation>
Bitte starten Sie VELK3 Manager als root oder treten Sie der Gruppe „disk“ bei, um dieses Kartenlesegerät zu verwenden.</translation>
    </message>
    <message>
        <source>
The card is in use (mounted?). Please unmount the card first.</source>
        <translation>
Die Karte wird verwendet (eingehängt?). Bitte hängen Sie die Karte zuerst aus.</translation>
    </message>
    <message>
        <source>udisks2 did not allow access (not authorised): accept the password question of the desktop, or ask the administrator to allow this user to open disks.</source>
        <translation>udisks2 hat den Zugriff nicht erlaubt (nicht berechtigt): Bestätigen Sie die Passwortabfrage der Arbeitsumgebung oder bitten Sie den Administrator, diesem Benutzer das Öffnen von Datenträgern zu erlauben.</translation>
    </message>
    <message>
        <source>udisks2 could not be asked for access (no udisks2 on the system bus): install and start udisks2 to use card readers without root.</source>
        <translation>udisks2 konnte nicht um Zugriff gebeten werden (kein udisks2 auf dem Systembus): Installieren und starten Sie udisks2, um Kartenlesegeräte ohne root zu verwenden.</translation>
    </message>
    <message>
        <source>udisks2 could not open it either (%1).</source>
        <translation>udisks2 konnte es ebenfalls nicht öffnen (%1).</translation>
    </message>
    <message>
        <source>Could not unmount %1 (</source>
        <translation>%1 konnte nicht ausgehängt werden (</translation>
    </message>
    <message>
        <source>).
Nothing was written to the card.</source>
        <translation>).
Es wurde nichts auf die Karte geschrieben.</translation>
    </message>
    <message>
        <source>Could not open drive (%1 is not the disk %2 that was listed)</source>
        <translation>Laufwerk konnte nicht geöffnet werden (%1 ist nicht der aufgeführte Datenträger %2)</translation>
    </message>
    <message>
        <source>The card stays mounted; nothing was written to it.</source>
        <translation>Die Karte bleibt eingehängt; es wurde nichts auf sie geschrieben.</translation>
    </message>
    <message>
        <source>no udisks2 on the system bus</source>
        <translation>kein udisks2 auf dem Systembus</translation>
    </message>
    <message>
        <source>This user may not use the VELK over USB: install the udev rule 60-velk3.rules (sudo cmake --install on the build directory, or copy res/60-velk3.rules to /etc/udev/rules.d/), run &quot;sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger&quot;, then plug the VELK in again.</source>
        <translation>Dieser Benutzer darf den VELK nicht über USB verwenden: Installieren Sie die udev-Regel 60-velk3.rules (sudo cmake --install im Build-Verzeichnis, oder kopieren Sie res/60-velk3.rules nach /etc/udev/rules.d/), führen Sie „sudo udevadm control --reload-rules &amp;&amp; sudo udevadm trigger“ aus und stecken Sie den VELK dann erneut ein.</translation>
    </message>
    <message>
        <source>%1 too many sectors for one transfer (%2)</source>
        <translation>%1 zu viele Sektoren für eine Übertragung (%2)</translation>
    </message>
    <message>
        <source>COULD NOT RETRIEVE MANUFACTURER STRING</source>
        <translation>HERSTELLERNAME KONNTE NICHT GELESEN WERDEN</translation>
    </message>
    <message>
        <source>COULD NOT RETRIEVE PRODUCT STRING</source>
        <translation>PRODUKTNAME KONNTE NICHT GELESEN WERDEN</translation>
    </message>
    <message>
        <source>THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER</source>
        <translation>DIESE VERSION DES VELK WIRD VON DIESER VERSION VON VELK MANAGER NICHT UNTERSTÜTZT</translation>
    </message>
    <message>
        <source>COULD NOT SELECT CONFIGURATION (the unit reports no configuration)</source>
        <translation>KONFIGURATION KONNTE NICHT GEWÄHLT WERDEN (das Gerät meldet keine Konfiguration)</translation>
    </message>
    <message>
        <source>COULD NOT SELECT CONFIGURATION (%1)</source>
        <translation>KONFIGURATION KONNTE NICHT GEWÄHLT WERDEN (%1)</translation>
    </message>
    <message>
        <source>COULD NOT CLAIM INTERFACE (the unit reports no interface)</source>
        <translation>SCHNITTSTELLE KONNTE NICHT BELEGT WERDEN (das Gerät meldet keine Schnittstelle)</translation>
    </message>
    <message>
        <source>COULD NOT CLAIM INTERFACE (%1)</source>
        <translation>SCHNITTSTELLE KONNTE NICHT BELEGT WERDEN (%1)</translation>
    </message>
    <message>
        <source>COULD NOT SET ALTERNATE INTERFACE (%1)</source>
        <translation>ALTERNATIVE SCHNITTSTELLE KONNTE NICHT GESETZT WERDEN (%1)</translation>
    </message>
    <message>
        <source>COULD NOT SET ALTERNATE INTERFACE (the unit reports no bulk endpoints)</source>
        <translation>ALTERNATIVE SCHNITTSTELLE KONNTE NICHT GESETZT WERDEN (das Gerät meldet keine Bulk-Endpunkte)</translation>
    </message>
    <message>
        <source>COULD NOT RELEASE INTERFACE</source>
        <translation>SCHNITTSTELLE KONNTE NICHT FREIGEGEBEN WERDEN</translation>
    </message>
    <message>
        <source>Unable to read checksum (err=%1, %2)</source>
        <translation>Prüfsumme kann nicht gelesen werden (err=%1, %2)</translation>
    </message>
    <message>
        <source>readSector: Unable to send read sector command (err=%1)</source>
        <translation>readSector: Lesebefehl für Sektoren kann nicht gesendet werden (err=%1)</translation>
    </message>
    <message>
        <source>readSector: Unable to read sector (err=%1, %2)</source>
        <translation>readSector: Sektor kann nicht gelesen werden (err=%1, %2)</translation>
    </message>
    <message>
        <source>readSector: Invalid checksum</source>
        <translation>readSector: Ungültige Prüfsumme</translation>
    </message>
    <message>
        <source>writeSector: Unable to send write sector command (err=%1)</source>
        <translation>writeSector: Schreibbefehl für Sektoren kann nicht gesendet werden (err=%1)</translation>
    </message>
    <message>
        <source>writeSector: Unable to write sector (err=%1, %2)</source>
        <translation>writeSector: Sektor kann nicht geschrieben werden (err=%1, %2)</translation>
    </message>
    <message>
        <source>writeSector: Invalid checksum</source>
        <translation>writeSector: Ungültige Prüfsumme</translation>
    </message>
    <message>
        <source>writeSector: Write to card failed</source>
        <translation>writeSector: Schreiben auf die Karte fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unable to query device id (err=%1)</source>
        <translation>Gerätekennung kann nicht abgefragt werden (err=%1)</translation>
    </message>
    <message>
        <source>Unable to read device id (err=%1, %2)</source>
        <translation>Gerätekennung kann nicht gelesen werden (err=%1, %2)</translation>
    </message>
    <message>
        <source>Unable to set the clock of the VELK (err=%1, %2)</source>
        <translation>Die Uhr des VELK kann nicht gestellt werden (err=%1, %2)</translation>
    </message>
    <message>
        <source>Unable to open temporary input audio file</source>
        <translation>Temporäre Eingabe-Audiodatei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unable to create temporary output audio file</source>
        <translation>Temporäre Ausgabe-Audiodatei kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Error reading file</source>
        <translation>Fehler beim Lesen der Datei</translation>
    </message>
    <message>
        <source>Could not open mp3 file %1 (%2)</source>
        <translation>MP3-Datei %1 konnte nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>Invalid MP3 file format</source>
        <translation>Ungültiges MP3-Dateiformat</translation>
    </message>
    <message>
        <source>Could not open converted mp3 file %1 (%2)</source>
        <translation>Umgewandelte MP3-Datei %1 konnte nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>The card is full</source>
        <translation>Die Karte ist voll</translation>
    </message>
    <message>
        <source>The image has room for %1 sectors, the card uses %2.</source>
        <translation>Das Abbild bietet Platz für %1 Sektoren, die Karte belegt %2.</translation>
    </message>
    <message>
        <source>The image needs %1 sectors, but the card has only %2; nothing was written.</source>
        <translation>Das Abbild benötigt %1 Sektoren, die Karte hat aber nur %2; es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>There is not enough free space on the card to move the routines safely: %1 MB are needed behind what the card holds, %2 MB are free.</source>
        <translation>Auf der Karte ist nicht genug freier Platz, um die Routinen sicher zu verschieben: Hinter dem Inhalt der Karte werden %1 MB benötigt, %2 MB sind frei.</translation>
    </message>
    <message>
        <source>The routine is too large for a routine file (4 GiB at most)</source>
        <translation>Die Routine ist zu groß für eine Routinendatei (höchstens 4 GiB)</translation>
    </message>
    <message>
        <source>The routine file is shorter than its header says (%1 bytes, %2 expected)</source>
        <translation>Die Routinendatei ist kürzer als ihr Kopf angibt (%1 Byte, %2 erwartet)</translation>
    </message>
    <message>
        <source>Could not open file %1 (%2)</source>
        <translation>Datei %1 konnte nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>Unsupported file version</source>
        <translation>Nicht unterstützte Dateiversion</translation>
    </message>
    <message>
        <source>Maximum number of files reached</source>
        <translation>Höchstzahl an Dateien erreicht</translation>
    </message>
    <message>
        <source>The flash card claims to hold %1 schedules, more than the %2 that VELK3 Manager reads.
The card may be damaged; it was not read.</source>
        <translation>Die Flash-Karte gibt an, %1 Zeitpläne zu enthalten, mehr als die %2, die VELK3 Manager liest.
Die Karte ist möglicherweise beschädigt; sie wurde nicht gelesen.</translation>
    </message>
    <message>
        <source>Unable to read device id (invalid checksum)</source>
        <translation>Gerätekennung kann nicht gelesen werden (ungültige Prüfsumme)</translation>
    </message>
    <message>
        <source>Too many schedules (%1; a card holds at most %2)</source>
        <translation>Zu viele Zeitpläne (%1; eine Karte fasst höchstens %2)</translation>
    </message>
    <message>
        <source>There is not enough free space on the card to rewrite its tables safely</source>
        <translation>Auf der Karte ist nicht genug freier Platz, um ihre Tabellen sicher neu zu schreiben</translation>
    </message>
    <message>
        <source>Too few tracks</source>
        <translation>Zu wenige Spuren</translation>
    </message>
    <message>
        <source>The card did not keep what was written: sector %1 reads back differently. It may be damaged, or smaller than it claims.</source>
        <translation>Die Karte hat das Geschriebene nicht behalten: Sektor %1 liest sich anders zurück. Sie ist möglicherweise beschädigt oder kleiner als angegeben.</translation>
    </message>
    <message>
        <source>%1 error (err = %2, %3)</source>
        <translation>%1-Fehler (err = %2, %3)</translation>
    </message>
    <message>
        <source>COULD NOT FIND ONE CONFIGURATION</source>
        <translation>KEINE KONFIGURATION GEFUNDEN</translation>
    </message>
    <message>
        <source>COULD NOT SELECT CONFIGURATION</source>
        <translation>KONFIGURATION KONNTE NICHT GEWÄHLT WERDEN</translation>
    </message>
    <message>
        <source>COULD NOT CLAIM INTERFACE</source>
        <translation>SCHNITTSTELLE KONNTE NICHT BELEGT WERDEN</translation>
    </message>
    <message>
        <source>COULD NOT SET ALTERNATE INTERFACE</source>
        <translation>ALTERNATIVE SCHNITTSTELLE KONNTE NICHT GESETZT WERDEN</translation>
    </message>
    <message>
        <source>Device not found</source>
        <translation>Gerät nicht gefunden</translation>
    </message>
    <message>
        <source>ReadConfiguration error (err = %1, the bootloader did not become idle)</source>
        <translation>ReadConfiguration-Fehler (err = %1, der Bootloader wurde nicht bereit)</translation>
    </message>
    <message>
        <source>Unable to configure device properly.</source>
        <translation>Das Gerät kann nicht richtig konfiguriert werden.</translation>
    </message>
    <message>
        <source>Erase failed</source>
        <translation>Löschen fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unable to set BSB</source>
        <translation>BSB kann nicht gesetzt werden</translation>
    </message>
    <message>
        <source>Unable to set SBV</source>
        <translation>SBV kann nicht gesetzt werden</translation>
    </message>
    <message>
        <source>Unable to set HSB</source>
        <translation>HSB kann nicht gesetzt werden</translation>
    </message>
    <message>
        <source>Unable to set SSB</source>
        <translation>SSB kann nicht gesetzt werden</translation>
    </message>
    <message>
        <source>Invalid image file.</source>
        <translation>Ungültige Abbilddatei.</translation>
    </message>
    <message>
        <source>We recommend upgrading the VELK firmware only if you have been instructed to do so by Varnholt Software. Interrupting a firmware update or using a firmware image not provided by Varnholt Software may cause permanent damage to the VELK. If an upgrade is required, follow these steps:</source>
        <translation>Wir empfehlen, die VELK-Firmware nur dann zu aktualisieren, wenn Varnholt Software Sie dazu aufgefordert hat. Eine unterbrochene Firmware-Aktualisierung oder ein Firmware-Abbild, das nicht von Varnholt Software stammt, kann den VELK dauerhaft beschädigen. Wenn eine Aktualisierung nötig ist, gehen Sie so vor:</translation>
    </message>
    <message>
        <source>1. Apply power to the VELK and attach the USB/PC cable.</source>
        <translation>1. Schalten Sie den VELK ein und schließen Sie das USB-/PC-Kabel an.</translation>
    </message>
    <message>
        <source>2. On the bottom of the VELK, place the dip switch labelled &quot;I&quot; to &quot;ON&quot;.</source>
        <translation>2. Stellen Sie auf der Unterseite des VELK den DIP-Schalter „I“ auf „ON“.</translation>
    </message>
    <message>
        <source>3. Press and then release the &quot;RESET&quot; pushbutton on the VELK.</source>
        <translation>3. Drücken Sie die Taste „RESET“ am VELK und lassen Sie sie wieder los.</translation>
    </message>
    <message>
        <source>4. Place the dip switch labeled &quot;U&quot; to &quot;ON&quot;.</source>
        <translation>4. Stellen Sie den DIP-Schalter „U“ auf „ON“.</translation>
    </message>
    <message>
        <source>5. The USB device will be detected by Linux.  The udev rule 60-velk3.rules, installed with VELK3 Manager, lets you use it without root; see docs/usb.md in the VELK3 Manager documentation for installing the rule by hand.</source>
        <translation>5. Linux erkennt das USB-Gerät.  Die mit VELK3 Manager installierte udev-Regel 60-velk3.rules erlaubt die Verwendung ohne root; wie Sie die Regel von Hand installieren, steht in docs/usb.md in der Dokumentation von VELK3 Manager.</translation>
    </message>
    <message>
        <source>6. Press OK below.</source>
        <translation>6. Klicken Sie unten auf OK.</translation>
    </message>
    <message>
        <source>Follow these instructions to restart the VELK in normal mode:</source>
        <translation>So starten Sie den VELK im normalen Modus neu:</translation>
    </message>
    <message>
        <source>1. On the bottom of the VELK, place the dip switch labelled &quot;U&quot; to &quot;OFF&quot;.</source>
        <translation>1. Stellen Sie auf der Unterseite des VELK den DIP-Schalter „U“ auf „OFF“.</translation>
    </message>
    <message>
        <source>2. Place the dip switch labelled &quot;I&quot; to &quot;OFF&quot;.</source>
        <translation>2. Stellen Sie den DIP-Schalter „I“ auf „OFF“.</translation>
    </message>
    <message>
        <source>4. The VELK will reboot in normal mode.</source>
        <translation>4. Der VELK startet im normalen Modus neu.</translation>
    </message>
    <message>
        <source>The firmware update was successful. </source>
        <translation>Die Firmware-Aktualisierung war erfolgreich. </translation>
    </message>
    <message>
        <source>The firmware update FAILED. </source>
        <translation>Die Firmware-Aktualisierung ist FEHLGESCHLAGEN. </translation>
    </message>
    <message>
        <source>Cancelled: the card holds the 1 routine added before the stop.</source>
        <translation>Abgebrochen: Die Karte enthält die 1 Routine, die vor dem Abbruch hinzugefügt wurde.</translation>
    </message>
    <message>
        <source>Cancelled: the card holds the %1 routines added before the stop.</source>
        <translation>Abgebrochen: Die Karte enthält die %1 Routinen, die vor dem Abbruch hinzugefügt wurden.</translation>
    </message>
    <message>
        <source>

Added before the failure:</source>
        <translation>

Vor dem Fehler hinzugefügt:</translation>
    </message>
    <message>
        <source>
  %1 as track %2</source>
        <translation>
  %1 als Spur %2</translation>
    </message>
    <message>
        <source>A routine could not be written to the card. The card keeps the routines it had and the ones added before the failure.</source>
        <translation>Eine Routine konnte nicht auf die Karte geschrieben werden. Die Karte behält ihre bisherigen Routinen und die vor dem Fehler hinzugefügten.</translation>
    </message>
    <message>
        <source>The routine could not be written to the card. The card keeps the routines it had.</source>
        <translation>Die Routine konnte nicht auf die Karte geschrieben werden. Die Karte behält ihre bisherigen Routinen.</translation>
    </message>
    <message>
        <source>The routine could not be written to the card. The card now holds an empty VELK disk.</source>
        <translation>Die Routine konnte nicht auf die Karte geschrieben werden. Die Karte enthält jetzt einen leeren VELK-Datenträger.</translation>
    </message>
    <message>
        <source>The routine could not be written to the card. The card is unchanged.</source>
        <translation>Die Routine konnte nicht auf die Karte geschrieben werden. Die Karte ist unverändert.</translation>
    </message>
    <message>
        <source>%1 does not report the size of its card.</source>
        <translation>%1 meldet die Größe seiner Karte nicht.</translation>
    </message>
    <message>
        <source>The card holds no routine to schedule.</source>
        <translation>Die Karte enthält keine Routine, die geplant werden könnte.</translation>
    </message>
    <message>
        <source>The VELK did not confirm its identify data (the checksum never matched).</source>
        <translation>Der VELK hat seine Kenndaten nicht bestätigt (die Prüfsumme stimmte nie).</translation>
    </message>
    <message>
        <source>Could not create %1 (%2)</source>
        <translation>%1 konnte nicht erstellt werden (%2)</translation>
    </message>
    <message>
        <source>Unable to write file %1 (%2)</source>
        <translation>Datei %1 kann nicht geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>Could not create a temporary file in %1 (%2)</source>
        <translation>In %1 konnte keine temporäre Datei erstellt werden (%2)</translation>
    </message>
    <message>
        <source>The card is mounted at %1.

Unmount it and continue?</source>
        <translation>Die Karte ist unter %1 eingehängt.

Aushängen und fortfahren?</translation>
    </message>
    <message>
        <source>Restoring the image onto %1 will replace everything on this card and will DELETE ALL DATA on it.

Do you wish to continue?</source>
        <translation>Beim Wiederherstellen des Abbilds auf %1 wird alles auf dieser Karte ersetzt, und ALLE DATEN darauf werden GELÖSCHT.

Möchten Sie fortfahren?</translation>
    </message>
</context>
</TS>
