// Ports: a queue in the owning process; named ports are published as sockets in the runtime
// folder (PortFolder.h) and written to by other processes with the packets of PortWire.h.

#include <OS.h>

#include "PortFolder.h"
#include "PortPrivate.h"
#include "PortWire.h"
#include "ThreadPrivate.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace BPortPrivate;
using namespace BPortWire;

namespace {

void forkPrepare()
{
    port_kit().lock.lock();
}

void forkParent()
{
    port_kit().lock.unlock();
}

// Kept reachable on purpose: what a forked child leaves behind may hold locks of threads that
// did not come along, so it is never destroyed.
std::vector<std::shared_ptr<void>>* sLeftBehind;

// The child serves nothing and writes nowhere: a socket it kept open would keep a port looking
// alive after its owner died, and a shared connection would mix two writers' packets.
void forkChild()
{
    PortKit& kit = port_kit();
    if (sLeftBehind == nullptr)
        sLeftBehind = new std::vector<std::shared_ptr<void>>;
    for (auto& listener : kit.listeners)
        close(listener->fd);
    for (auto& connection : kit.connections)
        close(connection->fd);
    for (auto& [id, remote] : kit.found) {
        close(remote->fd);
        remote->fd = -1;
        sLeftBehind->push_back(remote);
    }
    for (auto& [id, port] : kit.owned)
        sLeftBehind->push_back(port);
    for (auto& listener : kit.listeners)
        sLeftBehind->push_back(std::shared_ptr<Listener>(listener.release()));
    for (auto& connection : kit.connections)
        sLeftBehind->push_back(std::shared_ptr<Connection>(connection.release()));
    kit.listeners.clear();
    kit.connections.clear();
    kit.found.clear();
    kit.owned.clear();
    if (kit.wakeFd >= 0)
        close(kit.wakeFd);
    kit.wakeFd = -1;
    kit.serving = false;
    kit.lock.unlock();
}

void unpublish(PortKit& kit, LocalPort& port);

void unpublishAll()
{
    PortKit& kit = port_kit();
    std::lock_guard<std::mutex> guard(kit.lock);
    for (auto& [id, port] : kit.owned)
        unpublish(kit, *port);
}

// Removes the port's socket file, if it is still the one the port made.
void unpublish(PortKit& kit, LocalPort& port)
{
    if (!port.published)
        return;
    port.published = false;
    for (auto& listener : kit.listeners) {
        if (listener->port.get() == &port)
            listener->dropped = true;
    }
    wake_server(kit);
    int folder = BPortFolder::folder();
    FolderLock folderLock(folder);
    struct stat status;
    if (fstatat(folder, port.fileName.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        status.st_dev == port.fileDevice && status.st_ino == port.fileInode)
        unlinkat(folder, port.fileName.c_str(), 0);
}

// Publishes the port under its name unless a live port holds the name. Under the kit's lock.
status_t publish(PortKit& kit, LocalPort& port)
{
    int folder = BPortFolder::folder();
    if (folder < 0)
        return folder;
    std::string fileName = BPortFolder::file_name(port.name);
    sockaddr_un address;
    socklen_t length;
    if (!BPortFolder::make_address(folder, fileName, &address, &length))
        return B_NAME_TOO_LONG;
    FolderLock folderLock(folder);
    if (port_answers(address, length))
        return B_OK; // findable in this process only
    unlinkat(folder, fileName.c_str(), 0);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return B_FROM_POSIX_ERROR(errno);
    struct stat status;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(fd, SOMAXCONN) != 0 ||
        fstatat(folder, fileName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        status_t error = B_FROM_POSIX_ERROR(errno);
        close(fd);
        unlinkat(folder, fileName.c_str(), 0);
        return error;
    }
    status_t started = start_server(kit);
    if (started != B_OK) {
        close(fd);
        unlinkat(folder, fileName.c_str(), 0);
        return started;
    }
    port.published = true;
    port.fileName = fileName;
    port.fileDevice = status.st_dev;
    port.fileInode = status.st_ino;
    kit.listeners.push_back(std::make_unique<Listener>(Listener{kit.owned[port.id], fd}));
    wake_server(kit);
    return B_OK;
}

// Waits on cv until ready(): stops at the cooperative point first, gives up on the deadline or
// when the calling thread is killed.
template <typename Ready>
status_t waitFor(std::unique_lock<std::mutex>& lock, const std::shared_ptr<LocalPort>& port,
                 std::condition_variable& cv, thread_state state, const Deadline& deadline,
                 Ready ready)
{
    if (ready())
        return B_OK;
    if (deadline.noWait)
        return B_WOULD_BLOCK;
    lock.unlock();
    status_t status = BKernelPrivate::cooperative_point();
    lock.lock();
    if (status != B_OK)
        return status;
    BKernelPrivate::BlockingScope scope(state, port, &port->lock, &cv);
    while (!ready()) {
        if (BKernelPrivate::current_thread_killed())
            return B_INTERRUPTED;
        if (deadline.forever)
            cv.wait(lock);
        else if (cv.wait_until(lock, deadline.Point()) == std::cv_status::timeout && !ready())
            return deadline.Failure();
    }
    return B_OK;
}

status_t writeLocal(const std::shared_ptr<LocalPort>& port, int32 code, const uint8* bytes,
                    size_t size, const Deadline& deadline)
{
    Record record{code, std::vector<uint8>(bytes, bytes + size)};
    std::unique_lock<std::mutex> lock(port->lock);
    status_t status = waitFor(lock, port, port->writable, B_THREAD_WAITING, deadline,
                              [&] { return port->closed || port->deleted || port->HasPlace(); });
    if (status != B_OK)
        return status;
    if (port->closed || port->deleted)
        return B_BAD_PORT_ID;
    port->queue.push_back(std::move(record));
    port->readable.notify_all();
    return B_OK;
}

// The port of an id: the owner's, or else a writer's.
status_t lookUp(port_id id, std::shared_ptr<LocalPort>* local, std::shared_ptr<RemotePort>* remote)
{
    PortKit& kit = port_kit();
    std::lock_guard<std::mutex> guard(kit.lock);
    if (auto found = kit.owned.find(id); found != kit.owned.end()) {
        *local = found->second;
        return B_OK;
    }
    if (auto found = kit.found.find(id); found != kit.found.end()) {
        if (remote == nullptr)
            return B_NOT_ALLOWED;
        *remote = found->second;
        return B_OK;
    }
    return B_BAD_PORT_ID;
}

// Waits for the oldest record of an owned port; the port's lock is held on return.
status_t waitForRecord(port_id id, uint32 flags, bigtime_t timeout,
                       std::shared_ptr<LocalPort>* port, std::unique_lock<std::mutex>* lock)
{
    status_t status = lookUp(id, port, nullptr);
    if (status != B_OK)
        return status;
    Deadline deadline(flags, timeout);
    LocalPort& local = **port;
    *lock = std::unique_lock<std::mutex>(local.lock);
    status = waitFor(*lock, *port, local.readable, B_THREAD_RECEIVING, deadline,
                     [&] { return !local.queue.empty() || local.closed || local.deleted; });
    if (status != B_OK)
        return status;
    if (local.deleted || local.queue.empty())
        return B_BAD_PORT_ID;
    return B_OK;
}

} // namespace

namespace BPortPrivate {

// Never destroyed: the server thread runs until the process ends.
PortKit& port_kit()
{
    static PortKit* kit = [] {
        auto* created = new PortKit;
        // The thread layer's handlers first, so that ours run before them at a fork: our lock
        // comes first in the order of locks.
        BKernelPrivate::install_thread_fork_handlers();
        pthread_atfork(forkPrepare, forkParent, forkChild);
        atexit(unpublishAll);
        return created;
    }();
    return *kit;
}

} // namespace BPortPrivate

port_id create_port(int32 capacity, const char* name)
{
    if (capacity < 1 || capacity > B_MAX_PORT_CAPACITY)
        return B_BAD_VALUE;
    auto port = std::make_shared<LocalPort>();
    port->capacity = capacity;
    if (name != nullptr)
        port->name.assign(name, BKernelPrivate::name_length(name, B_OS_NAME_LENGTH - 1));

    PortKit& kit = port_kit();
    std::lock_guard<std::mutex> guard(kit.lock);
    if (kit.nextId == INT32_MAX)
        return B_NO_MORE_PORTS;
    port->id = kit.nextId++;
    kit.owned[port->id] = port;
    if (!port->name.empty()) {
        status_t status = publish(kit, *port);
        if (status != B_OK) {
            kit.owned.erase(port->id);
            return status;
        }
    }
    return port->id;
}

port_id find_port(const char* name)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    std::string wanted(name, BKernelPrivate::name_length(name, B_OS_NAME_LENGTH - 1));
    if (wanted.empty())
        return B_NAME_NOT_FOUND;
    PortKit& kit = port_kit();
    {
        std::lock_guard<std::mutex> guard(kit.lock);
        for (auto& [id, port] : kit.owned) {
            if (port->findable && port->name == wanted)
                return id;
        }
        for (auto found = kit.found.begin(); found != kit.found.end(); ++found) {
            if (found->second->name != wanted)
                continue;
            if (connected(found->second->fd))
                return found->first;
            kit.found.erase(found);
            break;
        }
    }
    // Connecting can wait for a busy owner: not under the lock.
    int fd = -1;
    status_t status = connect_to_port(BPortFolder::file_name(wanted), &fd);
    if (status != B_OK)
        return status;
    std::lock_guard<std::mutex> guard(kit.lock);
    for (auto& [id, remote] : kit.found) {
        if (remote->name == wanted && connected(remote->fd)) {
            close(fd); // another thread found it meanwhile
            return id;
        }
    }
    if (kit.nextId == INT32_MAX) {
        close(fd);
        return B_NO_MORE_PORTS;
    }
    auto remote = std::make_shared<RemotePort>();
    remote->id = kit.nextId++;
    remote->name = wanted;
    remote->fd = fd;
    kit.found[remote->id] = remote;
    return remote->id;
}

status_t get_next_port_name(int32* cookie, char name[B_OS_NAME_LENGTH])
{
    if (cookie == nullptr || name == nullptr || *cookie < 0)
        return B_BAD_VALUE;
    int folder = BPortFolder::folder();
    if (folder < 0)
        return folder;
    int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* directory = listed < 0 ? nullptr : fdopendir(listed);
    if (directory == nullptr) {
        if (listed >= 0)
            close(listed);
        return B_FROM_POSIX_ERROR(errno);
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(directory)) {
        std::string portName;
        if ((entry->d_type == DT_SOCK || entry->d_type == DT_UNKNOWN) &&
            BPortFolder::port_name(entry->d_name, &portName))
            names.push_back(portName);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    if (static_cast<size_t>(*cookie) >= names.size())
        return B_ENTRY_NOT_FOUND;
    const std::string& chosen = names[static_cast<size_t>(*cookie)];
    memcpy(name, chosen.c_str(), chosen.size() + 1);
    (*cookie)++;
    return B_OK;
}

status_t write_port(port_id port, int32 code, const void* buffer, size_t size)
{
    return write_port_etc(port, code, buffer, size, 0, 0);
}

status_t write_port_etc(port_id id, int32 code, const void* buffer, size_t size, uint32 flags,
                        bigtime_t timeout)
{
    if (size > B_MAX_PORT_RECORD_SIZE || (buffer == nullptr && size > 0))
        return B_BAD_VALUE;
    Deadline deadline(flags, timeout);
    std::shared_ptr<LocalPort> local;
    std::shared_ptr<RemotePort> remote;
    status_t status = lookUp(id, &local, &remote);
    if (status != B_OK)
        return status;
    const auto* bytes = static_cast<const uint8*>(buffer);
    return local ? writeLocal(local, code, bytes, size, deadline)
                 : write_remote(*remote, code, bytes, size, deadline);
}

ssize_t read_port(port_id port, int32* code, void* buffer, size_t size)
{
    return read_port_etc(port, code, buffer, size, 0, 0);
}

ssize_t read_port_etc(port_id id, int32* code, void* buffer, size_t size, uint32 flags,
                      bigtime_t timeout)
{
    if (buffer == nullptr && size > 0)
        return B_BAD_VALUE;
    std::shared_ptr<LocalPort> port;
    std::unique_lock<std::mutex> lock;
    status_t status = waitForRecord(id, flags, timeout, &port, &lock);
    if (status != B_OK)
        return status;
    Record record = std::move(port->queue.front());
    port->queue.pop_front();
    port->writable.notify_all();
    bool wakeServer = port->serverWaits;
    port->serverWaits = false;
    lock.unlock();
    if (wakeServer)
        wake_server(port_kit());

    if (code != nullptr)
        *code = record.code;
    size_t copied = std::min(size, record.data.size());
    if (copied > 0)
        memcpy(buffer, record.data.data(), copied);
    return static_cast<ssize_t>(copied);
}

ssize_t port_buffer_size(port_id port)
{
    return port_buffer_size_etc(port, 0, 0);
}

ssize_t port_buffer_size_etc(port_id id, uint32 flags, bigtime_t timeout)
{
    std::shared_ptr<LocalPort> port;
    std::unique_lock<std::mutex> lock;
    status_t status = waitForRecord(id, flags, timeout, &port, &lock);
    if (status != B_OK)
        return status;
    return static_cast<ssize_t>(port->queue.front().data.size());
}

ssize_t port_count(port_id id)
{
    std::shared_ptr<LocalPort> port;
    status_t status = lookUp(id, &port, nullptr);
    if (status != B_OK)
        return status;
    std::lock_guard<std::mutex> guard(port->lock);
    return static_cast<ssize_t>(port->queue.size());
}

status_t close_port(port_id id)
{
    PortKit& kit = port_kit();
    std::lock_guard<std::mutex> guard(kit.lock);
    auto found = kit.owned.find(id);
    if (found == kit.owned.end())
        return kit.found.count(id) != 0 ? static_cast<status_t>(B_NOT_ALLOWED) : B_BAD_PORT_ID;
    LocalPort& port = *found->second;
    port.findable = false;
    unpublish(kit, port);
    std::lock_guard<std::mutex> portGuard(port.lock);
    if (port.closed)
        return B_BAD_PORT_ID;
    port.closed = true;
    port.readable.notify_all();
    port.writable.notify_all();
    return B_OK;
}

status_t delete_port(port_id id)
{
    PortKit& kit = port_kit();
    std::lock_guard<std::mutex> guard(kit.lock);
    if (auto found = kit.found.find(id); found != kit.found.end()) {
        // Wakes a writer of this process that waits on the connection.
        shutdown(found->second->fd, SHUT_RDWR);
        kit.found.erase(found);
        return B_OK;
    }
    auto found = kit.owned.find(id);
    if (found == kit.owned.end())
        return B_BAD_PORT_ID;
    std::shared_ptr<LocalPort> port = found->second;
    kit.owned.erase(found);
    port->findable = false;
    unpublish(kit, *port);
    std::lock_guard<std::mutex> portGuard(port->lock);
    port->deleted = true;
    port->queue.clear();
    port->readable.notify_all();
    port->writable.notify_all();
    wake_server(kit);
    return B_OK;
}
