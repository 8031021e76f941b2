#pragma once
// The server mode: a windowless relay between a client program and one VELK unit. The client
// creates the rendezvous (NAME_SHAREDMEM and four events), starts velk3-manager -server NAME
// BAUD, waits for ready, then hands over one block at a time; the relay sends each block to the
// unit's relay configuration straight from the shared view and signals it done, until quit.
// The relay only opens named objects, never creates or removes them.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/NamedObjects.h"
#include "platform/UserPrompt.h"

// What the relay takes from velk3-manager's command line, under the command line's own names.
struct RelayCommandLine {
    std::string m_strServerName;  // upper case: the unit's label and the prefix of the relay's objects
    int32_t m_nBaudRate = 0;
};

struct usb_dev_handle;
struct usb_device;
struct usb_config_descriptor;
struct usb_interface_descriptor;
struct usb_endpoint_descriptor;

class CRelayServer {
public:
    // prompt: where its failures are told (it asks nothing).
    CRelayServer(RelayCommandLine cmdInfo, IUserPrompt& prompt) : m_cmdInfo(std::move(cmdInfo)), m_prompt(prompt) {}
    ~CRelayServer();
    CRelayServer(const CRelayServer&) = delete;
    CRelayServer& operator=(const CRelayServer&) = delete;

    // The whole run: 1 after quit, 0 after a failure (told to the prompt).
    int Run();

    void OpenSharedObjects();
    void CloseSharedObjects();

    // The unit's side (RelayDevice.cpp); each throws CUsbDeviceException.
    void OpenRelayDevice();
    void SetBaudMode();
    void SendBlock();
    void CloseRelayDevice();

private:
    std::string ObjectName(const char* suffix) const;
    void SignalReady();
    // False when the wait itself failed.
    bool RelayBlocks(const CNamedEvent& quitEvent);
    void ReportFatal(const std::string& message) const;
    void Report(const std::string& message) const;

    CFileMapping m_mapping;
    CNamedEvent m_dataReadyEvent;
    CNamedEvent m_dataDoneEvent;
    const RelayCommandLine m_cmdInfo;
    IUserPrompt& m_prompt;
    usb_dev_handle* m_hDevice = nullptr;
    struct usb_device* m_pDevice = nullptr;  // "struct": libusb also has a function of that name
    usb_config_descriptor* m_pConfig = nullptr;
    usb_interface_descriptor* m_pInterface = nullptr;
    usb_endpoint_descriptor* m_pEndpoint = nullptr;
    uint8_t* m_pView = nullptr;
};
