#include "report/SharedObjects.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

struct TSharedObject {
    enum class Kind { AutoEvent, ManualEvent, Memory } kind;
    std::string posixName;
    bool created = false;  // this handle made the object: its close removes the name
    sem_t* semaphore = SEM_FAILED;
    int fd = -1;
    std::size_t size = 0;
};

namespace {

std::string PosixName(const std::string& name) {
    std::string s = "/" + name;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i] == '/' || s[i] == '\\') s[i] = '_';
    return s;
}

TSharedHandle OpenEvent(const std::string& name, TSharedObject::Kind kind, unsigned initial = 0) {
    if (name.empty()) return nullptr;
    auto* h = new TSharedObject{kind, PosixName(name)};
    h->semaphore = sem_open(h->posixName.c_str(), 0);
    if (h->semaphore == SEM_FAILED) {
        h->semaphore = sem_open(h->posixName.c_str(), O_CREAT | O_EXCL, 0600, initial);
        h->created = h->semaphore != SEM_FAILED;
        // Another process may have created it in between.
        if (h->semaphore == SEM_FAILED && errno == EEXIST) h->semaphore = sem_open(h->posixName.c_str(), 0);
    }
    if (h->semaphore == SEM_FAILED) {
        delete h;
        return nullptr;
    }
    return h;
}

bool IsEvent(TSharedHandle h) { return h && h->kind != TSharedObject::Kind::Memory && h->semaphore != SEM_FAILED; }

}  // namespace

TSharedHandle OpenSharedEvent(const std::string& name) { return OpenEvent(name, TSharedObject::Kind::AutoEvent); }

TSharedHandle OpenSharedManualEvent(const std::string& name) {
    return OpenEvent(name, TSharedObject::Kind::ManualEvent);
}

// A lock is an auto-reset event that starts signalled: free.
TSharedHandle OpenSharedMutex(const std::string& name) {
    return OpenEvent(name, TSharedObject::Kind::AutoEvent, 1u);
}

// An event is a semaphore whose count is 0 (not signalled) or 1; setting an
// event that is already signalled leaves it at 1.
void SetSharedEvent(TSharedHandle event) {
    if (!IsEvent(event)) return;
    int value = 0;
    if (sem_getvalue(event->semaphore, &value) == 0 && value > 0) return;
    sem_post(event->semaphore);
}

void ResetSharedEvent(TSharedHandle event) {
    if (!IsEvent(event)) return;
    while (sem_trywait(event->semaphore) == 0) {
    }
}

bool WaitSharedEvent(TSharedHandle event, unsigned timeoutMs) {
    if (!IsEvent(event)) return false;
    timespec until;
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += timeoutMs / 1000;
    until.tv_nsec += long(timeoutMs % 1000) * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    int rc;
    do {
        rc = sem_timedwait(event->semaphore, &until);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return false;
    // A manual-reset event stays signalled for the next waiter.
    if (event->kind == TSharedObject::Kind::ManualEvent) sem_post(event->semaphore);
    return true;
}

TSharedHandle OpenSharedMemory(const std::string& name, std::size_t size) {
    auto* h = new TSharedObject{TSharedObject::Kind::Memory, PosixName(name)};
    h->fd = shm_open(h->posixName.c_str(), O_RDWR, 0);
    if (h->fd < 0 && size > 0) {
        h->fd = shm_open(h->posixName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (h->fd >= 0) {
            h->created = true;
            if (ftruncate(h->fd, off_t(size)) != 0) {
                close(h->fd);
                shm_unlink(h->posixName.c_str());
                h->fd = -1;
            }
        } else if (errno == EEXIST) {
            h->fd = shm_open(h->posixName.c_str(), O_RDWR, 0);
        }
    }
    if (h->fd < 0) {
        delete h;
        return nullptr;
    }
    struct stat st;
    h->size = fstat(h->fd, &st) == 0 ? std::size_t(st.st_size) : 0;
    return h;
}

std::size_t SharedMemorySize(TSharedHandle memory) {
    return memory && memory->kind == TSharedObject::Kind::Memory ? memory->size : 0;
}

void* MapSharedMemory(TSharedHandle memory) {
    if (!memory || memory->kind != TSharedObject::Kind::Memory || memory->size == 0) return nullptr;
    void* view = mmap(nullptr, memory->size, PROT_READ | PROT_WRITE, MAP_SHARED, memory->fd, 0);
    return view == MAP_FAILED ? nullptr : view;
}

void CloseSharedMemory(TSharedHandle memory, void* view) {
    if (view && memory) munmap(view, memory->size);
    CloseSharedHandle(memory);
}

void CloseSharedHandle(TSharedHandle handle) {
    if (!handle) return;
    if (handle->semaphore != SEM_FAILED) {
        sem_close(handle->semaphore);
        if (handle->created) sem_unlink(handle->posixName.c_str());
    }
    if (handle->fd >= 0) {
        close(handle->fd);
        if (handle->created) shm_unlink(handle->posixName.c_str());
    }
    delete handle;
}
