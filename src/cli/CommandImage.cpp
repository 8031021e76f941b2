// velk3 image create FILE --size N[K|M|G]: a new card image, formatted as an empty VELK disk.
#include <charconv>
#include <iostream>

#include "cli/CliContext.h"
#include "devices/SectorDevice.h"
#include "operations/CardJobs.h"

namespace {

// "64M" → 64 MiB; a plain number is bytes. The size must be a whole number of sectors.
uint64_t ParseImageSize(const std::string& text) {
    uint64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || rest == begin) throw CUsageError("--size takes a number with an optional K, M or G: " + text);
    const std::string suffix(rest, end);
    uint64_t unit = 1;
    if (suffix == "K" || suffix == "k") unit = 1ull << 10;
    else if (suffix == "M" || suffix == "m") unit = 1ull << 20;
    else if (suffix == "G" || suffix == "g") unit = 1ull << 30;
    else if (!suffix.empty()) throw CUsageError("--size takes a number with an optional K, M or G: " + text);
    if (value > UINT64_MAX / unit) throw CUsageError("--size is too large: " + text);
    const uint64_t bytes = value * unit;
    if (bytes == 0 || bytes % kSectorSize != 0)
        throw CUsageError("--size must be a positive whole number of 512-byte sectors: " + text);
    return bytes;
}

int CreateImage(const std::string& path, const std::string& size, const CliContext& context) {
    job::CreateCardImage(context.Job(path), path, ParseImageSize(size) / kSectorSize);
    std::cout << path << " now holds an empty VELK disk.\n";
    return 0;
}

}  // namespace

void RegisterImageCommand(CLI::App& app, CliContext& context) {
    auto* image = app.add_subcommand("image", "Card image files");
    image->require_subcommand(1);
    auto* create = image->add_subcommand("create", "Make a new card image holding an empty VELK disk");
    auto path = std::make_shared<std::string>();
    auto size = std::make_shared<std::string>();
    create->add_option("FILE", *path, "The image file to create (must not exist)")->required();
    create->add_option("--size", *size, "Size: bytes, or a number with K, M or G (binary units)")->required();
    create->callback([&context, path, size] {
        context.run = [&context, path, size] { return CreateImage(*path, *size, context); };
    });
}
