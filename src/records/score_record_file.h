#pragma once
// The score record file 成績累積データ.dat in the program's data folder: a plain sequence of
// 44-byte records, record n (from 1) at byte (n - 1) x 44, no header. Every machine of the
// school appends to it.
//
// Writers (append, rewrite, delete) take one exclusive lock on a fixed byte range far beyond
// any record, and open, lock and check that the path still names the file they locked before
// they take a position. Rewrites and deletions change the file in place under the same lock,
// so the file is never replaced while an append waits for the lock: nothing that waits can be
// lost. Readers take no lock and read the records in one or a few calls (each call is a round
// trip on the network share).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "records/record_file_waiter.h"
#include "records/score_record.h"

namespace kagaku {

// The locked byte: far beyond any record the file will ever hold (about 48 million records),
// within 31 bits for old file servers, and beyond the end of the file so that a Windows
// machine's lock never blocks a reader.
inline constexpr std::uint64_t kRecordLockOffset = 0x7FFFFF00;
inline constexpr std::uint64_t kRecordLockLength = 1;

// programDataFolder ends in a separator.
std::filesystem::path ScoreRecordPath(std::string_view programDataFolder);

// Records read from the file.
struct RecordWindow {
    std::uint64_t WholeRecords = 0;       // whole records in the file when it was read
    std::uint64_t TrailingBytes = 0;      // bytes of a partial record at its end
    std::uint64_t FirstRecordNumber = 1;  // number (from 1) of the first record read
    std::string Bytes;                    // the records read, 44 bytes each

    std::size_t Count() const { return Bytes.size() / kScoreRecordSize; }
    const char* RecordBytes(std::size_t i) const { return Bytes.data() + i * kScoreRecordSize; }
    ScoreRecord Record(std::size_t i) const { return DecodeScoreRecord(RecordBytes(i)); }
};

// Reads the last maxRecords whole records (every record when maxRecords is 0) without a lock.
// A file that is not there reads as empty when its folder is there. Throws FileOperationError;
// *stage (when given) then tells where: 3 opening, 4 measuring the file, 5 reading records.
RecordWindow ReadRecordWindow(const std::filesystem::path& file, std::uint64_t maxRecords,
                              int* stage = nullptr);
// The same into a window whose memory is reused.
void ReadRecordWindowInto(const std::filesystem::path& file, std::uint64_t maxRecords,
                          RecordWindow& window, int* stage = nullptr);

// Reads record n (from 1). Throws DataFileError when the file has no whole record n,
// FileOperationError when it cannot be read.
ScoreRecord ReadScoreRecord(const std::filesystem::path& file, std::uint64_t n);

// Appends the record after the last whole record (a partial record at the end, left by an
// interrupted write, is overwritten), creating the file when there is none, and flushes it to
// the disk. While another machine holds the lock or the file, waits (a few milliseconds at
// first, growing towards a second while the conflict lasts) and tries the same step again;
// after an error that waiting does not mend, asks the waiter whether to try again. Returns the
// record's number. Throws DataFileError when the waiter gives up (with the message
// "成績ランダムファイル記録" and the error's description).
// beforeWrite, when given, runs with the lock held just before the record is written (the
// daily backup); it must not throw, and may run again when the append starts over.
std::uint64_t AppendScoreRecord(const std::filesystem::path& file, const ScoreRecord& record,
                                RecordFileWaiter& waiter,
                                const std::function<void()>& beforeWrite = {});

class SharedFile;
// Runs work with the writers' lock held on the record file, as an append does (a restore,
// which replaces the whole file, and the backup before a teacher's change). work gets the
// locked file and must be safe to run again from the start after an error.
void RunUnderWritersLock(const std::filesystem::path& file, RecordFileWaiter& waiter,
                         const std::function<void(SharedFile&)>& work);

// The copy a deletion keeps beside the record file while it moves records: the records after
// the deleted one, then a 32-byte trailer (a mark, the number of the deleted record, the file's
// length before the deletion and a checksum). Read as a record file it shows the records the
// deletion moves. Its presence means that a deletion was interrupted.
inline constexpr const char* kDeletionCopyFileName = "成績累積データtemp.dat";
std::filesystem::path DeletionCopyPath(const std::filesystem::path& recordFile);
// What a writer found of an interrupted deletion when it took the lock.
enum class InterruptedDeletion {
    None,      // no copy: nothing was interrupted (or another writer dealt with it first)
    Finished,  // the copy was whole: the deletion was finished from it
    Dropped,   // the copy was cut short before the record file was touched: the copy went
};
// Takes the writers' lock only to finish (or drop) an interrupted deletion, so that a reader
// that lists every record sees the file whole. Throws DataFileError when the waiter gives up.
InterruptedDeletion FinishInterruptedDeletion(const std::filesystem::path& file,
                                              RecordFileWaiter& waiter);

// A deletion that failed after it began to write (the copy or the move): the copy may be left
// beside the record file, for the next writer to finish or drop. problem() says so; record()
// and description() tell which record and what failed.
class DeletionInterrupted : public DataFileError {
public:
    // The step that failed.
    enum class Step {
        WritingCopy,   // the record file is untouched; the copy is not yet whole
        Moving,        // the copy is whole; the move may be half done
        RemovingCopy,  // the move is done and flushed: the record is gone
    };
    DeletionInterrupted(std::string file, std::uint64_t n, Step step, std::string description);
    std::uint64_t record() const { return record_; }
    Step step() const { return step_; }
    const std::string& description() const { return description_; }

private:
    std::uint64_t record_;
    Step step_;
    std::string description_;
};

// What a rewrite or deletion that was given the record's expected bytes found under the lock.
enum class RecordChange {
    Done,
    RecordDiffers,  // record n no longer holds the expected bytes (or is gone): nothing written
};

// Writes the record over record n (from 1) under the lock. With expected, writes only when
// record n still holds exactly those bytes. Throws DataFileError when the file has no whole
// record n (and no bytes were expected) or the waiter gives up.
RecordChange RewriteScoreRecord(const std::filesystem::path& file, std::uint64_t n,
                                const ScoreRecord& record, RecordFileWaiter& waiter,
                                const ScoreRecordBytes* expected = nullptr);

// Removes record n (from 1) under the lock; a partial record at the end goes too and later
// records are renumbered. The records after n are first copied to 成績累積データtemp.dat and
// flushed; then they are moved down in place, the file is shortened and flushed, and the copy
// is removed. If the machine stops on the way, whoever takes the lock next finishes the
// deletion from the copy (or, when the copy itself was not finished, just removes it: the
// record file was not touched yet). With expected, deletes only when record n still holds
// exactly those bytes. Throws DeletionInterrupted when a step after the first write fails.
RecordChange DeleteScoreRecord(const std::filesystem::path& file, std::uint64_t n,
                               RecordFileWaiter& waiter,
                               const ScoreRecordBytes* expected = nullptr);

}  // namespace kagaku
