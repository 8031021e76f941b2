#pragma once
// A card image file (a dump of a card, or a card being prepared without a reader) as a sector
// device. Its size is fixed when it is opened: a write past the end fails as it would on a card.
// The file is locked while open so two commands never write one image at once.
#include <string>

#include "platform/FileDescriptor.h"
#include "platform/MessageText.h"
#include "platform/FileIdentity.h"
#include "devices/SectorDevice.h"

class CImageFile final : public CSectorDevice {
public:
    CImageFile() = default;
    ~CImageFile() override;

    // An entry whose name is the image's path and whose identity is the file there now.
    static DeviceEntry EntryFor(const std::string& path);
    // Makes a new image of sectorCount zero sectors (sparse), readable by its owner alone; throws
    // when path exists.
    static void Create(const std::string& path, uint64_t sectorCount);
    // The same, kept open: what is written goes to the file made, whatever is put at its name.
    void OpenNew(const std::string& path, uint64_t sectorCount);
    // Closes an image made by OpenNew and removes it, unless its name leads elsewhere by now.
    void Discard();

    uint32_t GetSectorCount() override { return m_sectorCount; }
    std::string GetName() override { return m_path; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override;
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override;
    // Opens the file at the entry's name, which must be the file its identity names when one is known.
    void Open(const DeviceEntry& entry) override;
    // The same for an image this system listed: a link put at its name is not followed.
    void OpenListed(const DeviceEntry& entry);
    void Close() override;
    bool Identify() override { return true; }
    void Flush() override;
    void DropCache(uint32_t first, uint32_t count) override;

private:
    void OpenFile(const DeviceEntry& entry, bool followLinks);
    void CheckRange(uint32_t first, uint32_t count, const char* message) const;

    std::string m_path;
    CFileDescriptor m_file;
    FileIdentity m_made;  // of the file OpenNew made
    uint32_t m_sectorCount = 0;
    bool m_written = false;  // since the last flush
};

// "The card image PATH has been replaced by another file since it was listed."
MessageText ReplacedImageMessage(const std::string& path);
