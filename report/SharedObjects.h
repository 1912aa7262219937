#pragma once
// Named objects shared between processes: events to signal with and memory
// to exchange data in, for the report data channel between a report server
// and its clients. Events are POSIX named semaphores, memory is POSIX shared
// memory. A name is used as given; it becomes a POSIX name by a leading "/"
// and with every "/" or "\" in it turned into "_".
//
// A named object lives while a handle to it is open in the process that
// created it: closing the creator's handle removes the name, so a later open
// of the name makes a new object (as the last close of a kernel object
// would). Processes that opened it keep using it until they close it.

#include <cstddef>
#include <string>

struct TSharedObject;
using TSharedHandle = TSharedObject*;  // null: none

// The named event, opened, or created not signalled when none exists. Null
// for an empty name or when the system refuses. A signalled auto-reset event
// lets one wait through and becomes not signalled; a manual-reset event
// stays signalled until it is reset.
TSharedHandle OpenSharedEvent(const std::string& name);
TSharedHandle OpenSharedManualEvent(const std::string& name);
// A named lock shared between processes: opened, or created free when none
// exists. WaitSharedEvent takes it (false on time-out) and SetSharedEvent
// gives it back. It is not re-entrant: a holder that waits again blocks.
TSharedHandle OpenSharedMutex(const std::string& name);
void SetSharedEvent(TSharedHandle event);
void ResetSharedEvent(TSharedHandle event);
// True when the event was signalled within the time-out (milliseconds).
bool WaitSharedEvent(TSharedHandle event, unsigned timeoutMs);

// The named memory, opened for reading and writing, or created with the
// given size (zero-filled) when none exists. Null when both fail.
TSharedHandle OpenSharedMemory(const std::string& name, std::size_t size);
// The whole memory mapped for reading and writing; null when it cannot be.
void* MapSharedMemory(TSharedHandle memory);
// Size of the named memory in bytes.
std::size_t SharedMemorySize(TSharedHandle memory);
// Unmaps the view (when given) and closes the handle.
void CloseSharedMemory(TSharedHandle memory, void* view);
void CloseSharedHandle(TSharedHandle handle);
