// The USB side of the relay and of the listing: the only file here that talks to libusb. The unit
// relays in its second configuration: a baud-mode request, then one bulk write per block, read
// straight from the shared view. One attempt each; the caller ends the relay on any failure.
#include <usb.h>

#include "devices/UnitList.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "server/DeviceListing.h"
#include "server/RelayProtocol.h"
#include "server/RelayServer.h"

CRelayServer::~CRelayServer() {
    // Only a fatal failure leaves the handle open; the process ends right after, but a handle
    // must not outlive its owner.
    if (m_hDevice) usb_close(m_hDevice);
}

void CRelayServer::OpenRelayDevice() {
    m_pDevice = FindUnitByName(m_cmdInfo.m_strServerName);
    if (!m_pDevice) throw CUsbDeviceException("COULD NOT FIND DEVICE");
    m_hDevice = usb_open(m_pDevice);
    if (!m_hDevice) throw CUsbDeviceException("Unable to open device");

    // A unit without its relay configuration (or with a malformed one) is refused at the step
    // that needs the missing part, never read past its descriptors.
    if (m_pDevice->descriptor.bNumConfigurations <= relay_request::kRelayConfigurationIndex || !m_pDevice->config)
        throw CUsbDeviceException("COULD NOT SELECT CONFIGURATION");
    m_pConfig = &m_pDevice->config[relay_request::kRelayConfigurationIndex];
    if (usb_set_configuration(m_hDevice, m_pConfig->bConfigurationValue) != 0)
        throw CUsbDeviceException("COULD NOT SELECT CONFIGURATION");

    if (m_pConfig->bNumInterfaces < 1 || !m_pConfig->interface || m_pConfig->interface[0].num_altsetting < 1 ||
        !m_pConfig->interface[0].altsetting)
        throw CUsbDeviceException("COULD NOT CLAIM INTERFACE");
    m_pInterface = &m_pConfig->interface[0].altsetting[0];
    if (usb_claim_interface(m_hDevice, m_pInterface->bInterfaceNumber) != 0)
        throw CUsbDeviceException("COULD NOT CLAIM INTERFACE");
    if (usb_set_altinterface(m_hDevice, m_pInterface->bAlternateSetting) != 0)
        throw CUsbDeviceException("COULD NOT SET ALTERNATE INTERFACE");

    if (m_pInterface->bNumEndpoints < 1 || !m_pInterface->endpoint)
        throw CUsbDeviceException("COULD NOT FIND THE RELAY ENDPOINT");
    m_pEndpoint = &m_pInterface->endpoint[0];
}

void CRelayServer::SetBaudMode() {
    const std::optional<uint8_t> code = BaudCode(m_cmdInfo.m_nBaudRate);
    if (!code) throw CUsbDeviceException("Unsupported baud rate");
    char data = char(*code);
    const int result = usb_control_msg(m_hDevice, relay_request::kRequestType, relay_request::kSetBaudMode, 0, 0,
                                       &data, 1, relay_request::kTimeoutMs);
    if (result != 1) throw CUsbDeviceException(StringPrintf("Unable to set baud mode (err=%i)", result));
}

void CRelayServer::SendBlock() {
    const size_t size = BlockTransferSize(m_pView, m_mapping.Size());
    const int result = usb_bulk_write(m_hDevice, m_pEndpoint->bEndpointAddress, reinterpret_cast<char*>(m_pView),
                                      int(size), relay_request::kBulkTimeoutMs);
    if (result != int(size))
        throw CUsbDeviceException(StringPrintf("error %i (%s) during usb_bulk_write\n", result, usb_strerror()));
}

void CRelayServer::CloseRelayDevice() {
    if (m_pInterface && usb_release_interface(m_hDevice, m_pInterface->bInterfaceNumber) != 0)
        throw CUsbDeviceException(StringPrintf("Could not release interface (%s)", usb_strerror()));
    if (m_hDevice) usb_close(m_hDevice);
    m_hDevice = nullptr;
}

bool ListDevices(IUserPrompt& prompt) {
    DeviceList units;
    const bool listed = ListDevices(prompt, [&units, &prompt] {
        EnumerateUnits(units, &prompt);
        std::vector<std::string> labels;
        for (const DeviceEntry& entry : units) labels.push_back(entry.name);
        return labels;
    });
    ClearUnitList(units);
    return listed;
}
