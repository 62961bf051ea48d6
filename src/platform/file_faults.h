#pragma once
// The fault seams of shared_file.h, shared by the POSIX and the Windows implementation: which
// call fails and with what. Only the tests switch them on.

#include <cstdint>

namespace kagaku::file_faults {

// True when this call is the one FailFileCall fails (with shortWrite, only writes count).
bool StrikesHere(bool isWrite);
// The errno value FailFileCall was given.
int ErrnoValue();
bool ShortWrite();
// Counts one changing call for FailFileChangesAfter; true when it must fail.
bool ChangeMustFail();
// Counts one read call (see SharedFile::ReadCallCount).
void CountRead();
std::uint64_t ReadCalls();

}  // namespace kagaku::file_faults
