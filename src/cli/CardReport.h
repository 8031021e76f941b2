#pragma once
// The routine list and the schedules of a card, as the main window shows them, as plain text and
// as the stable JSON that scripts read.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "disk/VelkDisk.h"

void PrintTable(std::ostream& out, const std::vector<std::string>& headings,
                const std::vector<std::vector<std::string>>& rows);
void PrintRoutineList(std::ostream& out, const CVelkDisk& disk);
void PrintSchedules(std::ostream& out, const CVelkDisk& disk);
void PrintCard(std::ostream& out, const std::string& device, const CVelkDisk& disk);
nlohmann::json CardJson(const std::string& device, const CVelkDisk& disk);
