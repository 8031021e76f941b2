#include "server/RelayServer.h"

#include <cerrno>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "server/RelayProtocol.h"

std::string CRelayServer::ObjectName(const char* suffix) const { return m_cmdInfo.m_strServerName + suffix; }

void CRelayServer::Report(const std::string& message) const { m_prompt.ShowMessage(message, kApplicationName, MessageIcon::None); }

void CRelayServer::ReportFatal(const std::string& message) const {
    Report(StringPrintf("FATAL SERVER %s ERROR: %s\n", m_cmdInfo.m_strServerName.c_str(), message.c_str()));
}

int CRelayServer::Run() {
    CNamedEvent quitEvent;
    bool waitFailed = false;
    try {
        OpenSharedObjects();
        if (!quitEvent.Open(ObjectName(relay_objects::kQuitEvent))) {
            Report("could not open quitevent");
            return 0;
        }
        OpenRelayDevice();
        SetBaudMode();
        SignalReady();
        waitFailed = !RelayBlocks(quitEvent);
    } catch (const CUsbDeviceException& e) {
        ReportFatal(e.Message());
        return 0;
    }
    try {
        CloseRelayDevice();
        CloseSharedObjects();
    } catch (const CUsbDeviceException& e) {
        ReportFatal(e.Message());
        return 0;
    }
    quitEvent.Close();
    return waitFailed ? 0 : 1;
}

void CRelayServer::SignalReady() {
    CNamedEvent readyEvent;
    if (!readyEvent.Open(ObjectName(relay_objects::kReadyEvent))) {
        Report("could not open readyEvent");
        return;
    }
    readyEvent.Set();
    readyEvent.Close();
}

bool CRelayServer::RelayBlocks(const CNamedEvent& quitEvent) {
    enum { kQuit = 0, kDataReady = 1 };  // quit first: when both are set, nothing more is sent
    for (;;) {
        const int signalled = WaitForAny({&quitEvent, &m_dataReadyEvent}, kWaitForever);
        if (signalled == kDataReady) {
            SendBlock();
            m_dataReadyEvent.Reset();
            m_dataDoneEvent.Set();
            continue;
        }
        if (signalled == kQuit) return true;
        // A wait that fails would otherwise look like an orderly quit to whoever reads the result.
        ReportFatal(StringPrintf("waiting for data ready or quit failed (%s)", std::strerror(errno)));
        return false;
    }
}

void CRelayServer::OpenSharedObjects() {
    if (!m_mapping.Open(ObjectName(relay_objects::kSharedMem)))
        throw CUsbDeviceException("Could not create file-mapping object.");
    if (!m_mapping.Map()) throw CUsbDeviceException("Could not map view of file.");
    m_pView = m_mapping.View();
    if (!m_dataReadyEvent.Open(ObjectName(relay_objects::kDataReadyEvent)))
        throw CUsbDeviceException("could not open m_dataReadyEvent");
    if (!m_dataDoneEvent.Open(ObjectName(relay_objects::kDataDoneEvent)))
        throw CUsbDeviceException("could not open m_dataDoneEvent");
}

void CRelayServer::CloseSharedObjects() {
    m_mapping.Unmap();
    m_pView = nullptr;
    m_mapping.Close();
    m_dataReadyEvent.Close();
    m_dataDoneEvent.Close();
}
