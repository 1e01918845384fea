#pragma once
// A file others write, read and parsed once and kept: read again only when
// its stamp (last-write time, size, file index) differs from the one it had
// when it was last taken. The file is read in one call between two looks at
// its stamp, and what was read is taken only when the stamp is the same
// after as before: a file rewritten during the read may be half old, half
// new, so the previous contents stay (and the next call reads it again). A
// file that does not exist counts as a state of its own (parse sees no
// bytes); one that exists but cannot be read now is tried again at the next
// call. Safe to use from several threads at once.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/text_file.h"

namespace vigilo {

template <typename Parsed>
class KeptFile {
public:
    // parse makes the kept value from the file's bytes (none: missing or unreadable).
    using Parse = std::function<Parsed(const std::optional<std::string>& bytes)>;

    KeptFile(std::string path, Parse parse) : path_(std::move(path)), parse_(std::move(parse)) {}
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    const std::string& Path() const { return path_; }

    // The value of the file as last taken, read again first when the file
    // changed; the value parsed from no bytes until a read was taken.
    std::shared_ptr<const Parsed> Get() {
        std::lock_guard lock(mutex_);
        const FileStamp before = StampOfFile(path_);
        if (stamp_ && *stamp_ == before) return value_;
        std::optional<std::string> bytes;
        if (before.exists) bytes = ReadKeptFileBytes(path_);
        const bool whole = bytes || !before.exists;  // a file there but not readable now is tried again
        if (whole && StampOfFile(path_) == before) {
            value_ = std::make_shared<const Parsed>(parse_(bytes));
            stamp_ = before;
        } else if (!value_) {
            value_ = std::make_shared<const Parsed>(parse_(std::nullopt));
        }
        return value_;
    }

private:
    const std::string path_;
    const Parse parse_;
    std::mutex mutex_;
    std::optional<FileStamp> stamp_;  // of the file when value_ was taken; none before
    std::shared_ptr<const Parsed> value_;
};

}  // namespace vigilo
