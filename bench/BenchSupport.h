#pragma once
// Timing helpers shared by the benchmarks: medians of repeated runs, and child processes timed
// from spawn to exit so a baseline tool and our own code pay the same process costs.
#include <functional>
#include <string>
#include <vector>

double MedianSeconds(int runs, const std::function<void()>& work);
// Runs argv[0] with its arguments, waits, and returns the wall time; throws when it fails.
double TimeProcess(const std::vector<std::string>& argv);
// The median wall time of runs of a process, each after an untimed preparation.
double MedianProcessSeconds(int runs, const std::function<void()>& prepare, const std::vector<std::string>& argv);
// Runs argv[0] with its arguments, its output thrown away, waits, and returns its peak resident
// memory in KiB; throws when it fails.
long PeakKiBOfProcess(const std::vector<std::string>& argv);
// Prints "name: ours X s, baseline Y s, ratio R (target at most T)" and returns R.
double ReportRatio(const std::string& name, double ours, double baseline, double target);
// Fills a file with size pseudo-random bytes.
void WriteRandomFile(const std::string& path, size_t size);
// A VELK card image of one-sector routines ("Routine N", varied codes) and `schedules` everyday
// schedules, just large enough to hold them.
void WriteCardOfRoutines(const std::string& path, int routines, int schedules);
