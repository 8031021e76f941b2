#include "server/DeviceListing.h"

#include "platform/NamedObjects.h"
#include "server/RelayProtocol.h"

bool ListDevices(IUserPrompt& prompt, const UnitLabelSource& enumerateUnits) {
    const auto report = [&prompt](const char* text) { prompt.ShowMessage(text, kApplicationName, MessageIcon::None); };
    CNamedEvent startEvent;
    CNamedEvent doneEvent;
    CFileMapping listArea;
    if (!startEvent.Open(list_objects::kStartEvent)) {
        report("Could not open list start event");
        return false;
    }
    if (!doneEvent.Open(list_objects::kDoneEvent)) {
        report("Could not open list done event");
        return false;
    }
    if (!listArea.Open(list_objects::kSharedMem)) {
        report("Unable to open map file");
        return false;
    }
    if (!listArea.Map()) {
        report("Could not map view of file.");
        return false;
    }
    startEvent.Set();
    // Enumerating may show messages of its own; done is set only after they have been seen.
    const std::vector<std::string> labels = enumerateUnits();
    WriteLabelList(listArea.View(), listArea.Size(), labels);
    doneEvent.Set();
    listArea.Unmap();
    listArea.Close();
    startEvent.Close();
    doneEvent.Close();
    return true;
}
