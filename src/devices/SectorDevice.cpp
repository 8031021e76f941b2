#include "devices/SectorDevice.h"

#include <algorithm>
#include <cstring>

CSectorDevice::~CSectorDevice() = default;

void CSectorDevice::BeginWrite(uint32_t startSector, uint32_t bufferSectors) {
    m_nextSector = startSector;
    m_bufferSize = bufferSectors * kSectorSize;
    m_buffer.assign(m_bufferSize, 0);
    m_fill = 0;
}

void CSectorDevice::WriteBytes(const uint8_t* data, uint32_t length) {
    if (m_bufferSize == 0) return;  // no buffered write open: nothing could ever be flushed
    while (length > 0) {
        const uint32_t room = m_bufferSize - m_fill;
        if (room > length) {
            std::memcpy(m_buffer.data() + m_fill, data, length);
            m_fill += length;
            return;
        }
        std::memcpy(m_buffer.data() + m_fill, data, room);
        m_fill = m_bufferSize;
        FlushWriteBuffer();
        data += room;
        length -= room;
    }
}

uint32_t CSectorDevice::EndWrite() {
    if (m_fill > 0) FlushWriteBuffer();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_bufferSize = 0;
    m_fill = 0;
    return m_nextSector;
}

void CSectorDevice::FlushWriteBuffer() {
    const uint32_t sectors = m_bufferSize / kSectorSize;
    writeSector(m_nextSector, sectors, m_buffer.data());
    m_nextSector += sectors;
    m_fill = 0;
}
