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
        <translation>Die Karte wird gerade beschrieben.

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
        <translation>Die Karte wird gerade beschrieben. Ein Abbruch könnte ihren Inhalt beschädigen.

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
        <translation>Die Karte ist unter %s eingehängt.

Aushängen und fortfahren?</translation>
    </message>
    <message>
        <source>Restoring the image will replace everything on this card and will DELETE ALL DATA on it.

Do you wish to continue?</source>
        <translation>Beim Wiederherstellen des Abbilds wird alles auf dieser Karte ersetzt, und ALLE DATEN darauf werden GELÖSCHT.

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
</context>
</TS>
