// Any bytes as a configuration file: the reader answers one of its result codes and never reads
// outside its buffers, and a file it accepts is written back and read again to the same record.
#include "config/CodeField.h"
#include "config/ConfigFile.h"
#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <stdlib.h>

using namespace vandrel;
namespace fs = std::filesystem;

namespace {

std::string workFolder;

// The files live in memory where the system offers it: every accepted input is saved with fsync.
std::string makeWorkFolder() {
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "vandrel-config-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

void removeWorkFolder() {
    std::error_code error;
    fs::remove_all(workFolder, error);
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void writeFile(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    check(out.good(), "the input file is written");
}

bool sameInfo(const DeviceInfo& a, const DeviceInfo& b) {
    return a.firmwareVersion == b.firmwareVersion && a.loaderVersion == b.loaderVersion &&
           a.systemInfoNumber == b.systemInfoNumber;
}

// What a page would show of every text field: never more than the field holds.
void touchCodeFields(const ConverterConfig& record) {
    for (std::size_t offset = ConfigOffset::p21Code1On; offset < ConfigOffset::spareCodes;
         offset += ConfigSize::codeField) {
        check(CodeFieldText(record, offset).size() <= kCodeFieldChars, "a code field's text fits");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    workFolder = makeWorkFolder();
    std::atexit(removeWorkFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input = workFolder + "/input.cfg";
    const std::string output = workFolder + "/output.cfg";
    writeFile(input, bytes, size);

    ConverterConfig record;
    DeviceInfo info;
    // Outputs the reader does not reach keep what they held.
    info.firmwareVersion.fill('#');
    info.loaderVersion.fill('#');
    const int code = ReadConfigFile(input, record, &info.firmwareVersion, &info.loaderVersion,
                                    &info.systemInfoNumber);
    check(code >= kConfigLoaded && code <= kConfigBadFileSize, "a known result code");
    if (code != kConfigLoaded) {
        return 0;
    }
    check(VersionTextString(info.firmwareVersion).size() < kVersionTextSize &&
              VersionTextString(info.loaderVersion).size() < kVersionTextSize,
          "version texts are terminated");
    touchCodeFields(record);

    check(WriteConfigFile(output, record, info) == kConfigWritten, "an accepted file is saved");
    std::error_code error;
    check(fs::file_size(output, error) == kConfigFileSize, "a saved file has 787 bytes");
    ConverterConfig again;
    DeviceInfo againInfo;
    check(ReadConfigFile(output, again, &againInfo.firmwareVersion, &againInfo.loaderVersion,
                         &againInfo.systemInfoNumber) == kConfigLoaded,
          "a saved file loads");
    check(again.bytes == record.bytes, "the saved record reads back the same");
    check(sameInfo(againInfo, info), "the saved device information reads back the same");
    return 0;
}
