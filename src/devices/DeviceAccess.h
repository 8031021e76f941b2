#pragma once
// What a command will do with a card: a command that only reads leaves a mounted card mounted and
// opens it shared and read-only; one that writes gets the disk to itself.
enum class DeviceAccess { Read, ReadWrite };
