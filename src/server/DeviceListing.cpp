#include "server/DeviceListing.h"

#include "platform/NamedObjects.h"
#include "platform/UserPrompt.h"
#include "server/RelayProtocol.h"

bool ListDevices(const UnitLabelSource& enumerateUnits) {
    CNamedEvent startEvent;
    CNamedEvent doneEvent;
    CFileMapping listArea;
    if (!startEvent.Open(list_objects::kStartEvent)) {
        AppMessageBox("Could not open list start event");
        return false;
    }
    if (!doneEvent.Open(list_objects::kDoneEvent)) {
        AppMessageBox("Could not open list done event");
        return false;
    }
    if (!listArea.Open(list_objects::kSharedMem)) {
        AppMessageBox("Unable to open map file");
        return false;
    }
    if (!listArea.Map()) {
        AppMessageBox("Could not map view of file.");
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
