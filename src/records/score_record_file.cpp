#include "records/score_record_file.h"

#include <memory>
#include <system_error>
#include <type_traits>
#include <utility>

#include "common/errors.h"
#include "common/files.h"
#include "common/paths.h"
#include "platform/shared_file.h"

namespace kagaku {

namespace fs = std::filesystem;

namespace {

constexpr const char* kWriteErrorPrefix = "成績ランダムファイル記録";
constexpr const char* kWriteWaitNotice =
    "ほかのパソコンが成績を記録しています。記録できるまで待っています。しばらくお待ちください。";

// Runs one step, waiting a second and running it again while the file is busy.
template <typename Step>
auto Patiently(BusyFileWait& busy, Step&& step) -> decltype(step()) {
    for (;;) {
        try {
            return step();
        } catch (const FileOperationError& e) {
            if (e.kind() != FileErrorKind::Busy) {
                throw;
            }
        }
        busy.OneSecond();
    }
}

// Opens the file, takes the writers' lock and makes sure the path still names the locked file,
// then runs work(file, busy). Busy steps are repeated after a second; any other error closes
// the file (releasing the lock, so that other machines are not held up while a message is
// shown) and asks the waiter whether to start again. work must therefore be safe to run again
// from the start: it takes every position afresh under the lock.
template <typename Work>
auto UnderWritersLock(const fs::path& file, RecordFileWaiter& waiter, Work&& work)
    -> decltype(work(std::declval<SharedFile&>(), std::declval<BusyFileWait&>())) {
    BusyFileWait busy(waiter, kWriteWaitNotice, PathText(file));
    for (;;) {
        try {
            auto opened = Patiently(busy, [&] {
                return std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
            });
            while (!opened->TryLockRange(kRecordLockOffset, kRecordLockLength)) {
                busy.OneSecond();
            }
            // A file deleted or replaced while this machine waited for the lock is not the
            // record file any more: start again on the file the path names now.
            if (!Patiently(busy, [&] { return opened->IsStillAt(file); })) {
                continue;
            }
            if constexpr (std::is_void_v<decltype(work(*opened, busy))>) {
                work(*opened, busy);
                opened->UnlockRange(kRecordLockOffset, kRecordLockLength);
                return;
            } else {
                auto result = work(*opened, busy);
                opened->UnlockRange(kRecordLockOffset, kRecordLockLength);
                return result;
            }
        } catch (const FileOperationError& e) {
            std::string message = kWriteErrorPrefix + e.description();
            if (!waiter.AskRetry(message)) {
                throw DataFileError(PathText(file), message);
            }
        }
    }
}

std::uint64_t WholeRecordsOf(std::uint64_t size) {
    return size / kScoreRecordSize;
}

[[noreturn]] void ThrowNoSuchRecord(const fs::path& file, std::uint64_t n, std::uint64_t whole) {
    throw DataFileError(PathText(file), "記録" + std::to_string(n) + "がありません（記録は" +
                                            std::to_string(whole) + "件です）");
}

}  // namespace

fs::path ScoreRecordPath(std::string_view programDataFolder) {
    return InFolder(programDataFolder, kScoreRecordFileName);
}

RecordWindow ReadRecordWindow(const fs::path& file, std::uint64_t maxRecords, int* stage) {
    RecordWindow window;
    ReadRecordWindowInto(file, maxRecords, window, stage);
    return window;
}

void ReadRecordWindowInto(const fs::path& file, std::uint64_t maxRecords, RecordWindow& window,
                          int* stage) {
    int ignored = 0;
    int& at = stage ? *stage : ignored;
    window.WholeRecords = 0;
    window.TrailingBytes = 0;
    window.FirstRecordNumber = 1;

    at = 3;
    std::unique_ptr<SharedFile> opened;
    try {
        opened = std::make_unique<SharedFile>(file, SharedFile::Mode::ReadOnly);
    } catch (const FileOperationError& e) {
        std::error_code ec;
        if (e.kind() == FileErrorKind::NotFound && !fs::exists(file, ec) &&
            fs::is_directory(file.parent_path(), ec)) {
            window.Bytes.clear();
            return;  // no run recorded yet
        }
        throw;
    }

    at = 4;
    std::uint64_t size = opened->Size();
    window.WholeRecords = WholeRecordsOf(size);
    window.TrailingBytes = size % kScoreRecordSize;
    std::uint64_t first = 0;
    if (maxRecords != 0 && window.WholeRecords > maxRecords) {
        first = window.WholeRecords - maxRecords;
    }
    window.FirstRecordNumber = first + 1;

    at = 5;
    // Resizing a reused buffer to the same length costs nothing; the read overwrites it.
    window.Bytes.resize(static_cast<std::size_t>((window.WholeRecords - first) * kScoreRecordSize));
    std::size_t got =
        opened->ReadAt(first * kScoreRecordSize, window.Bytes.data(), window.Bytes.size());
    // The file may have shrunk since it was measured (a record deleted meanwhile).
    window.Bytes.resize(got - got % kScoreRecordSize);
}

ScoreRecord ReadScoreRecord(const fs::path& file, std::uint64_t n) {
    SharedFile opened(file, SharedFile::Mode::ReadOnly);
    std::uint64_t whole = WholeRecordsOf(opened.Size());
    if (n < 1 || n > whole) {
        ThrowNoSuchRecord(file, n, whole);
    }
    ScoreRecordBytes bytes{};
    if (opened.ReadAt((n - 1) * kScoreRecordSize, bytes.data(), bytes.size()) != bytes.size()) {
        ThrowNoSuchRecord(file, n, whole);
    }
    return DecodeScoreRecord(bytes.data());
}

std::uint64_t AppendScoreRecord(const fs::path& file, const ScoreRecord& record,
                                RecordFileWaiter& waiter) {
    const ScoreRecordBytes bytes = EncodeScoreRecord(record);
    return UnderWritersLock(file, waiter, [&](SharedFile& f, BusyFileWait& busy) {
        // The position is taken only now, with the lock held: after the last whole record, so
        // that a partial record left by an interrupted write is overwritten.
        std::uint64_t whole = WholeRecordsOf(Patiently(busy, [&] { return f.Size(); }));
        Patiently(busy, [&] { f.WriteAt(whole * kScoreRecordSize, bytes.data(), bytes.size()); });
        Patiently(busy, [&] { f.Sync(); });
        return whole + 1;
    });
}

void RewriteScoreRecord(const fs::path& file, std::uint64_t n, const ScoreRecord& record,
                        RecordFileWaiter& waiter) {
    const ScoreRecordBytes bytes = EncodeScoreRecord(record);
    UnderWritersLock(file, waiter, [&](SharedFile& f, BusyFileWait& busy) {
        std::uint64_t whole = WholeRecordsOf(Patiently(busy, [&] { return f.Size(); }));
        if (n < 1 || n > whole) {
            ThrowNoSuchRecord(file, n, whole);
        }
        Patiently(busy, [&] { f.WriteAt((n - 1) * kScoreRecordSize, bytes.data(), bytes.size()); });
        Patiently(busy, [&] { f.Sync(); });
    });
}

void DeleteScoreRecord(const fs::path& file, std::uint64_t n, RecordFileWaiter& waiter) {
    UnderWritersLock(file, waiter, [&](SharedFile& f, BusyFileWait& busy) {
        std::uint64_t whole = WholeRecordsOf(Patiently(busy, [&] { return f.Size(); }));
        if (n < 1 || n > whole) {
            ThrowNoSuchRecord(file, n, whole);
        }
        std::string later(static_cast<std::size_t>((whole - n) * kScoreRecordSize), '\0');
        Patiently(busy, [&] {
            if (f.ReadAt(n * kScoreRecordSize, later.data(), later.size()) != later.size()) {
                throw FileOperationError(FileErrorKind::Other, 0, "記録を読み切れませんでした");
            }
        });
        Patiently(busy, [&] { f.WriteAt((n - 1) * kScoreRecordSize, later.data(), later.size()); });
        Patiently(busy, [&] { f.Truncate((whole - 1) * kScoreRecordSize); });
        Patiently(busy, [&] { f.Sync(); });
    });
}

}  // namespace kagaku
