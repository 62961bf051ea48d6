// What the POSIX and the Windows shared file have in common: the error type and the fault
// seams.
#include "platform/file_faults.h"

#include <atomic>
#include <cerrno>

#include "platform/shared_file.h"

namespace kagaku {

namespace {

std::atomic<std::uint64_t> readCalls{0};
// Changing calls that may still succeed before the fault seam fails them; negative: no fault.
std::atomic<long long> changesBeforeFault{-1};
// Calls that still succeed before the one that fails once; negative: no fault.
std::atomic<long long> callsBeforeFault{-1};
std::atomic<int> callFaultErrno{EIO};
std::atomic<bool> callFaultShortWrite{false};
std::atomic<bool> callFaultStruck{false};

}  // namespace

FileOperationError::FileOperationError(FileErrorKind kind, int errorNumber, std::string description)
    : std::runtime_error(description),
      kind_(kind),
      errorNumber_(errorNumber),
      description_(std::move(description)) {}

namespace file_faults {

bool StrikesHere(bool isWrite) {
    if (callsBeforeFault.load(std::memory_order_relaxed) < 0 ||
        (callFaultShortWrite.load(std::memory_order_relaxed) && !isWrite)) {
        return false;
    }
    if (callsBeforeFault.fetch_sub(1, std::memory_order_relaxed) == 0) {
        callsBeforeFault.store(-1, std::memory_order_relaxed);
        callFaultStruck.store(true, std::memory_order_relaxed);
        return true;
    }
    return false;
}

int ErrnoValue() {
    return callFaultErrno.load(std::memory_order_relaxed);
}

bool ShortWrite() {
    return callFaultShortWrite.load(std::memory_order_relaxed);
}

bool ChangeMustFail() {
    if (changesBeforeFault.load(std::memory_order_relaxed) < 0) {
        return false;
    }
    if (changesBeforeFault.fetch_sub(1, std::memory_order_relaxed) <= 0) {
        changesBeforeFault.store(0, std::memory_order_relaxed);
        return true;
    }
    return false;
}

void CountRead() {
    readCalls.fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t ReadCalls() {
    return readCalls.load(std::memory_order_relaxed);
}

}  // namespace file_faults

void FailFileChangesAfter(long long count) {
    changesBeforeFault.store(count < 0 ? -1 : count, std::memory_order_relaxed);
}

void FailFileCall(long long k, int errorNumber, bool shortWrite) {
    callsBeforeFault.store(-1, std::memory_order_relaxed);
    callFaultErrno.store(errorNumber, std::memory_order_relaxed);
    callFaultShortWrite.store(shortWrite, std::memory_order_relaxed);
    callFaultStruck.store(false, std::memory_order_relaxed);
    callsBeforeFault.store(k < 0 ? -1 : k, std::memory_order_relaxed);
}

bool FileCallFailed() {
    return callFaultStruck.load(std::memory_order_relaxed);
}

std::uint64_t SharedFile::ReadCallCount() {
    return file_faults::ReadCalls();
}

}  // namespace kagaku
