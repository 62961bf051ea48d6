#include "records/score_record_file.h"

#include <cstring>
#include <memory>
#include <optional>
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

// Runs one step, waiting a little (longer each time) and running it again while the file is busy.
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
        busy.BeforeNextTry();
    }
}

std::uint64_t WholeRecordsOf(std::uint64_t size) {
    return size / kScoreRecordSize;
}

// The trailer of the deletion copy.
constexpr char kCopyMark[8] = {'K', 'G', 'K', 'D', 'E', 'L', '0', '1'};
constexpr std::size_t kCopyTrailerSize = 32;

void PutU64(char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

std::uint64_t GetU64(const char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

std::uint64_t Checksum(std::string_view bytes, std::uint64_t n, std::uint64_t size) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    auto mix = [&](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (char c : bytes) {
        mix(static_cast<unsigned char>(c));
    }
    for (int i = 0; i < 8; ++i) {
        mix(static_cast<unsigned char>((n >> (8 * i)) & 0xFF));
        mix(static_cast<unsigned char>((size >> (8 * i)) & 0xFF));
    }
    return h;
}

// The records that a deletion of record n moves, with the trailer.
std::string DeletionCopy(const std::string& later, std::uint64_t n, std::uint64_t sizeBefore) {
    std::string copy = later;
    char trailer[kCopyTrailerSize];
    std::memcpy(trailer, kCopyMark, sizeof kCopyMark);
    PutU64(trailer + 8, n);
    PutU64(trailer + 16, sizeBefore);
    PutU64(trailer + 24, Checksum(later, n, sizeBefore));
    copy.append(trailer, kCopyTrailerSize);
    return copy;
}

// The moving part of a deletion, from a finished copy: the later records go to record n's
// place, the file ends after them. Running it twice does no harm.
void MoveDown(SharedFile& f, std::uint64_t n, std::uint64_t sizeBefore, const std::string& later) {
    f.WriteAt((n - 1) * kScoreRecordSize, later.data(), later.size());
    f.Truncate((WholeRecordsOf(sizeBefore) - 1) * kScoreRecordSize);
    f.Sync();
}

void RemoveCopy(const fs::path& copyPath) {
    SharedFile::Remove(copyPath);
    SharedFile::SyncFolder(copyPath.parent_path());
}

// Called with the writers' lock held. A copy whose trailer is whole and whose checksum holds
// was flushed before the record file was touched: the deletion is finished from it. Any other
// copy was cut short before the record file was touched: it is only removed.
InterruptedDeletion FinishDeletionUnderLock(const fs::path& file, SharedFile& records) {
    const fs::path copyPath = DeletionCopyPath(file);
    std::string copy;
    try {
        SharedFile c(copyPath, SharedFile::Mode::ReadOnly);
        copy.resize(static_cast<std::size_t>(c.Size()));
        copy.resize(c.ReadAt(0, copy.data(), copy.size()));
    } catch (const FileOperationError& e) {
        if (e.kind() == FileErrorKind::NotFound) {
            return InterruptedDeletion::None;  // the usual case: no deletion was interrupted
        }
        throw;
    }
    bool finished = false;
    std::uint64_t n = 0;
    std::uint64_t sizeBefore = 0;
    std::string later;
    if (copy.size() >= kCopyTrailerSize &&
        (copy.size() - kCopyTrailerSize) % kScoreRecordSize == 0) {
        const char* trailer = copy.data() + copy.size() - kCopyTrailerSize;
        n = GetU64(trailer + 8);
        sizeBefore = GetU64(trailer + 16);
        later = copy.substr(0, copy.size() - kCopyTrailerSize);
        const std::uint64_t whole = WholeRecordsOf(sizeBefore);
        finished = std::memcmp(trailer, kCopyMark, sizeof kCopyMark) == 0 && n >= 1 && n <= whole &&
                   later.size() == (whole - n) * kScoreRecordSize &&
                   GetU64(trailer + 24) == Checksum(later, n, sizeBefore) &&
                   // The file still holds at least the records before n and the copy's length.
                   records.Size() >= (whole - 1) * kScoreRecordSize;
    }
    if (finished) {
        MoveDown(records, n, sizeBefore, later);
    }
    RemoveCopy(copyPath);
    return finished ? InterruptedDeletion::Finished : InterruptedDeletion::Dropped;
}

// The work is done and flushed by now: a failed unlock must not report it as failed (a retry
// would do it twice). Closing the file, just after, releases the lock in any case.
void ReleaseLock(SharedFile& f) {
    try {
        f.UnlockRange(kRecordLockOffset, kRecordLockLength);
    } catch (const FileOperationError&) {
    }
}

// Opens the file, takes the writers' lock and makes sure the path still names the locked file,
// then runs work(file, busy). Busy steps are repeated after a short wait; any other error closes
// the file (releasing the lock, so that other machines are not held up while a message is
// shown) and asks the waiter whether to start again. work must therefore be safe to run again
// from the start: it takes every position afresh under the lock. So must it when the waiter
// keeps the progress: a try that stops to wait or ask lets the lock go, and the next try
// starts from the opening, with what work keeps in busy.Progress(). `loop` names the caller.
template <typename Work>
auto UnderWritersLock(const fs::path& file, RecordFileWaiter& waiter, const char* loop,
                      Work&& work, InterruptedDeletion* found = nullptr)
    -> decltype(work(std::declval<SharedFile&>(), std::declval<BusyFileWait&>())) {
    BusyFileWait busy(waiter, kWriteWaitNotice, PathText(file), loop);
    for (;;) {
        try {
            auto opened = Patiently(busy, [&] {
                return std::make_unique<SharedFile>(file, SharedFile::Mode::ReadWriteCreate);
            });
            while (!opened->TryLockRange(kRecordLockOffset, kRecordLockLength)) {
                busy.BeforeNextTry();
            }
            // A file deleted or replaced while this machine waited for the lock is not the
            // record file any more: start again on the file the path names now.
            if (!Patiently(busy, [&] { return opened->IsStillAt(file); })) {
                continue;
            }
            // A deletion that stopped half way is finished before anything else is written.
            const InterruptedDeletion interrupted =
                Patiently(busy, [&] { return FinishDeletionUnderLock(file, *opened); });
            if (found != nullptr) {
                *found = interrupted;
            }
            if constexpr (std::is_void_v<decltype(work(*opened, busy))>) {
                work(*opened, busy);
                ReleaseLock(*opened);
                return;
            } else {
                auto result = work(*opened, busy);
                ReleaseLock(*opened);
                return result;
            }
        } catch (const FileOperationError& e) {
            busy.AskRetry(kWriteErrorPrefix + e.description());
        }
    }
}

[[noreturn]] void ThrowNoSuchRecord(const fs::path& file, std::uint64_t n, std::uint64_t whole) {
    throw DataFileError(PathText(file), "記録" + std::to_string(n) + "がありません（記録は" +
                                            std::to_string(whole) + "件です）");
}

// Does record n (from 1) hold exactly these bytes?
bool RecordHolds(SharedFile& f, BusyFileWait& busy, std::uint64_t n,
                 const ScoreRecordBytes& bytes) {
    ScoreRecordBytes now{};
    std::size_t got = Patiently(
        busy, [&] { return f.ReadAt((n - 1) * kScoreRecordSize, now.data(), now.size()); });
    return got == now.size() && now == bytes;
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
                                RecordFileWaiter& waiter,
                                const std::function<void()>& beforeWrite) {
    const ScoreRecordBytes bytes = EncodeScoreRecord(record);
    return UnderWritersLock(file, waiter, "append", [&](SharedFile& f, BusyFileWait& busy) {
        // The record number of a write that was not undone.
        std::optional<std::uint64_t>& writtenAt = busy.Progress().writtenAt;
        // The position is taken only now, with the lock held: after the last whole record, so
        // that a partial record left by an interrupted write is overwritten.
        std::uint64_t whole = WholeRecordsOf(Patiently(busy, [&] { return f.Size(); }));
        // Tried again after a failure that left the record in the file: it is not added twice.
        if (writtenAt && *writtenAt <= whole && RecordHolds(f, busy, *writtenAt, bytes)) {
            Patiently(busy, [&] { f.Sync(); });
            return *writtenAt;
        }
        if (beforeWrite) {
            beforeWrite();
        }
        writtenAt = whole + 1;
        try {
            Patiently(busy,
                      [&] { f.WriteAt(whole * kScoreRecordSize, bytes.data(), bytes.size()); });
            Patiently(busy, [&] { f.Sync(); });
        } catch (const FileOperationError&) {
            // Not acknowledged, so not kept: the file goes back to its whole records (a torn
            // record would stay until the next append, a whole one would count a run the pupil
            // was told was not recorded).
            try {
                f.Truncate(whole * kScoreRecordSize);
                f.Sync();
                writtenAt.reset();
            } catch (const FileOperationError&) {
            }
            throw;
        }
        return whole + 1;
    });
}

void RunUnderWritersLock(const fs::path& file, RecordFileWaiter& waiter,
                         const std::function<void(SharedFile&)>& work) {
    UnderWritersLock(file, waiter, "lock", [&](SharedFile& f, BusyFileWait&) { work(f); });
}

InterruptedDeletion FinishInterruptedDeletion(const fs::path& file, RecordFileWaiter& waiter) {
    std::error_code ec;
    if (!fs::exists(DeletionCopyPath(file), ec)) {
        return InterruptedDeletion::None;
    }
    InterruptedDeletion found = InterruptedDeletion::None;
    UnderWritersLock(file, waiter, "finish deletion", [](SharedFile&, BusyFileWait&) {}, &found);
    return found;
}

DeletionInterrupted::DeletionInterrupted(std::string file, std::uint64_t n, Step step,
                                         std::string description)
    : DataFileError(std::move(file),
                    "記録" + std::to_string(n) + "の消去の途中でエラーが発生しました（" +
                        description +
                        "）。次にこのファイルに書き込むときに、消去を仕上げるか取り消します。"),
      record_(n),
      step_(step),
      description_(std::move(description)) {}

fs::path DeletionCopyPath(const fs::path& recordFile) {
    return recordFile.parent_path() / fs::u8path(kDeletionCopyFileName);
}

namespace {

// Under the lock: is there a record n, and does it hold the expected bytes? Without expected
// bytes a missing record is an error.
bool RecordIsAsExpected(const fs::path& file, SharedFile& f, BusyFileWait& busy, std::uint64_t n,
                        std::uint64_t whole, const ScoreRecordBytes* expected) {
    if (n < 1 || n > whole) {
        if (expected != nullptr) {
            return false;
        }
        ThrowNoSuchRecord(file, n, whole);
    }
    if (expected == nullptr) {
        return true;
    }
    ScoreRecordBytes now{};
    std::size_t got = Patiently(
        busy, [&] { return f.ReadAt((n - 1) * kScoreRecordSize, now.data(), now.size()); });
    return got == now.size() && now == *expected;
}

}  // namespace

RecordChange RewriteScoreRecord(const fs::path& file, std::uint64_t n, const ScoreRecord& record,
                                RecordFileWaiter& waiter, const ScoreRecordBytes* expected) {
    const ScoreRecordBytes bytes = EncodeScoreRecord(record);
    return UnderWritersLock(file, waiter, "rewrite", [&](SharedFile& f, BusyFileWait& busy) {
        bool& written = busy.Progress().written;
        std::uint64_t whole = WholeRecordsOf(Patiently(busy, [&] { return f.Size(); }));
        // Tried again after a failure past the write: the record may already hold the new bytes.
        if (written && RecordIsAsExpected(file, f, busy, n, whole, &bytes)) {
            Patiently(busy, [&] { f.Sync(); });
            return RecordChange::Done;
        }
        if (!RecordIsAsExpected(file, f, busy, n, whole, expected)) {
            return RecordChange::RecordDiffers;
        }
        ScoreRecordBytes old{};
        if (expected != nullptr) {
            old = *expected;
        } else if (Patiently(busy, [&] {
                       return f.ReadAt((n - 1) * kScoreRecordSize, old.data(), old.size());
                   }) != old.size()) {
            ThrowNoSuchRecord(file, n, whole);
        }
        written = true;
        try {
            Patiently(busy,
                      [&] { f.WriteAt((n - 1) * kScoreRecordSize, bytes.data(), bytes.size()); });
            Patiently(busy, [&] { f.Sync(); });
        } catch (const FileOperationError&) {
            // A write cut short leaves a record half old, half new, which no caller could
            // recognise again: the old record goes back, and the failure is reported.
            try {
                f.WriteAt((n - 1) * kScoreRecordSize, old.data(), old.size());
                f.Sync();
            } catch (const FileOperationError&) {
            }
            throw;
        }
        return RecordChange::Done;
    });
}

RecordChange DeleteScoreRecord(const fs::path& file, std::uint64_t n, RecordFileWaiter& waiter,
                               const ScoreRecordBytes* expected) {
    const fs::path copyPath = DeletionCopyPath(file);
    return UnderWritersLock(file, waiter, "delete", [&](SharedFile& f, BusyFileWait& busy) {
        const std::uint64_t sizeBefore = Patiently(busy, [&] { return f.Size(); });
        const std::uint64_t whole = WholeRecordsOf(sizeBefore);
        if (!RecordIsAsExpected(file, f, busy, n, whole, expected)) {
            return RecordChange::RecordDiffers;
        }
        std::string later(static_cast<std::size_t>((whole - n) * kScoreRecordSize), '\0');
        Patiently(busy, [&] {
            if (f.ReadAt(n * kScoreRecordSize, later.data(), later.size()) != later.size()) {
                throw FileOperationError(FileErrorKind::Other, 0, "記録を読み切れませんでした");
            }
        });
        // 1. The copy, flushed with its folder entry, before the record file is touched. From
        // here on a failure is not tried again by this call: the copy may be whole, and the
        // next writer to take the lock finishes or drops the deletion from it.
        const std::string copy = DeletionCopy(later, n, sizeBefore);
        // Each step is repeated while the file is held elsewhere; every step can run again.
        // Not so where the waiter would stop the try to wait later: that would let the lock go
        // half way through, and the next writer would finish or drop the deletion under this
        // caller's feet. There a busy step fails like any other, the copy left to the next
        // writer.
        auto steadily = [&](auto&& writeStep) -> decltype(writeStep()) {
            if (waiter.KeptProgress() != nullptr) {
                return writeStep();
            }
            return Patiently(busy, writeStep);
        };
        auto step = DeletionInterrupted::Step::WritingCopy;
        try {
            auto c = steadily([&] {
                return std::make_unique<SharedFile>(copyPath, SharedFile::Mode::ReadWriteCreate);
            });
            steadily([&] { c->Truncate(0); });
            steadily([&] { c->WriteAt(0, copy.data(), copy.size()); });
            steadily([&] { c->Sync(); });
            c.reset();
            steadily([&] { SharedFile::SyncFolder(copyPath.parent_path()); });
            // 2. The move, flushed. 3. The copy goes.
            step = DeletionInterrupted::Step::Moving;
            steadily([&] { MoveDown(f, n, sizeBefore, later); });
            step = DeletionInterrupted::Step::RemovingCopy;
            steadily([&] { RemoveCopy(copyPath); });
        } catch (const FileOperationError& e) {
            throw DeletionInterrupted(PathText(file), n, step, e.description());
        }
        return RecordChange::Done;
    });
}

}  // namespace kagaku
