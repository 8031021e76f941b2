#pragma once
// The three kinds of failure that reach the user. Each carries its message text (kept as a
// MessageText, so the window can show it in the user's language) and nothing else but, once the
// job it ended has said so, a summary: the job's own sentence of what failed and what the card
// holds now, which the window shows first with the message as its details.
#include <exception>
#include <string>

#include "platform/MessageText.h"

class CVelkException : public std::exception {
public:
    explicit CVelkException(MessageText message) : m_text(std::move(message)), m_english(m_text.English()) {}
    const char* what() const noexcept override { return m_english.c_str(); }
    const char* Message() const noexcept { return what(); }
    const MessageText& Text() const noexcept { return m_text; }

    // Set by the job on the failure it lets through (caught by reference and rethrown with throw;).
    void SetSummary(MessageText summary) { m_summary = std::move(summary); }
    const MessageText& Summary() const noexcept { return m_summary; }

private:
    MessageText m_text;
    std::string m_english;
    MessageText m_summary;
};

// Sector devices, the bootloader, the relay device, and the removal of the last routine.
class CUsbDeviceException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

// Routine-file import, audio preparation and the MP3 frame reader.
class CFileAccessException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

// A routine file that cannot be opened.
class CDriveAccessException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

// A sector device that could not read or write a run of sectors (or flush what it wrote): the
// device's own text, which a job sums up as what it leaves on the card.
class CSectorTransferException : public CUsbDeviceException {
public:
    using CUsbDeviceException::CUsbDeviceException;
};
