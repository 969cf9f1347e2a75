// Copies of eKey and internal-copy images taken before they are
// overwritten, so that no write can lose a sensor's calibration for good.
// One text file per image, in a folder of the user's data: the converter's
// identification, its address, the block, the sensor identifier, the time
// and the 256 bytes as hex. Nothing here talks to the converter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "l10n/text.h"
#include "link/ekey.h"

namespace rm27 {

struct BackupEntry {
    std::string path; // where it is kept (set by save and list)
    std::string deviceId;
    std::int32_t address = 0;
    std::int32_t block = 0;
    std::string sensorId;
    CivilDateTime time;
    std::string image; // one character per byte
};

class BackupStore {
public:
    virtual ~BackupStore() = default;
    // Keeps entry; returns the file's path, or "" with the reason in *error.
    virtual std::string save(const BackupEntry& entry, std::string* error) = 0;
    // Every backup kept, newest first.
    virtual std::vector<BackupEntry> list() = 0;
    // Reads one backup file back, whole and strictly (see the format in
    // FolderBackupStore); false with the reason in *error, naming the line
    // where one is to blame.
    virtual bool load(const std::string& path, BackupEntry& entry, Text* error) = 0;
};

// The backups of one folder (created when the first one is saved). A file
// is text: "RM27-EKEY-BACKUP 1", then one "key value" line each for
// device, address, block, sensor, time and image; block and address are
// decimal whole numbers 0..255, the image 512 hex digits. A key given twice,
// a key of no meaning, or a file without block or image is refused.
class FolderBackupStore final : public BackupStore {
public:
    explicit FolderBackupStore(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }

    std::string save(const BackupEntry& entry, std::string* error) override;
    std::vector<BackupEntry> list() override;
    bool load(const std::string& path, BackupEntry& entry, Text* error) override;

private:
    std::string folder_;
};

// "2026-12-04T00:00:19".
std::string IsoTime(const CivilDateTime& t);
// The file name a backup gets: identification, block, sensor and time,
// with anything but letters, digits, '-' and '.' made '_'.
std::string BackupFileName(const BackupEntry& entry);

} // namespace rm27
