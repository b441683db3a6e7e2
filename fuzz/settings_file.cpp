// Loads any bytes as a settings file through the same start-up path as a real
// file (a URL whose content is the input), then runs the exit check.

#include "commands/settings_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/startup_wiring.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "ftp/file_url_stream.h"

namespace {

class InputAsUrl final : public platform::UrlReader {
  public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool ReadUrl(std::string_view, uint8_t* buffer, size_t capacity, size_t& got) override {
        got = std::min(size, capacity);
        std::copy_n(data, got, buffer);
        return true;
    }
};

InputAsUrl reader;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reader.data = data;
    reader.size = size;
    platform::SetUrlReader(&reader);
    commands::ResetSettingsToDefaults();
    commands::ResetSettingsFileState();
    app::ComposeStartupServices();
    // The URL's folder does not exist, so a save at exit fails without
    // touching the disk.
    commands::SettingsFile.SettingsFileName = "mem://fuzz/settings.def";
    commands::SettingsFile.SettingsSource = commands::kSettingsSourceNamed;
    commands::StartupInit(true, true);
    commands::ConfirmSaveSettings(true);
    platform::SetUrlReader(nullptr);
    return 0;
}
