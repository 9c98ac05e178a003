#pragma once

// Kernel services: memory areas, time, threads and ports.

#include <SupportDefs.h>

typedef int32 area_id;

#define B_PAGE_SIZE 4096

// Where an area may be placed.
enum {
    B_ANY_ADDRESS = 0,
};

// How an area's memory is committed: B_NO_LOCK and B_LAZY_LOCK as it is first touched,
// B_FULL_LOCK all at once when the area is created, which is much cheaper per page than
// taking each page at its first touch.
enum {
    B_NO_LOCK = 0,
    B_LAZY_LOCK = 1,
    B_FULL_LOCK = 2,
};

enum {
    B_READ_AREA = 1,
    B_WRITE_AREA = 2,
};

// Creates an area of size bytes (a multiple of B_PAGE_SIZE) and stores its address in
// *address. Areas of 2 MB or more start on a 2 MB boundary. Returns the area's id, or an
// error.
area_id create_area(const char* name, void** address, uint32 addressSpec, size_t size,
                    uint32 lock, uint32 protection);
status_t delete_area(area_id area);

// ---------------------------------------------------------------------------------------------
// Time.

// Microseconds on a clock that never jumps (CLOCK_MONOTONIC); comparable only within one boot.
bigtime_t system_time();

// ---------------------------------------------------------------------------------------------
// Threads, on POSIX threads. Ids are positive, local to the process and never reused while it
// runs. Threads that the kit did not spawn (the main thread, threads of other libraries) get an
// id the first time they ask for one with find_thread(NULL) or register an exit hook.

typedef int32 thread_id;
typedef int32 team_id;
typedef int32 (*thread_func)(void* data);

#define B_OS_NAME_LENGTH 32

// Priorities are recorded and reported; they do not change how the system schedules the
// thread.
enum {
    B_LOW_PRIORITY = 5,
    B_NORMAL_PRIORITY = 10,
    B_DISPLAY_PRIORITY = 15,
    B_URGENT_DISPLAY_PRIORITY = 20,
    B_REAL_TIME_DISPLAY_PRIORITY = 100,
    B_URGENT_PRIORITY = 110,
    B_REAL_TIME_PRIORITY = 120,
};

enum thread_state {
    B_THREAD_RUNNING = 1,
    B_THREAD_READY,
    B_THREAD_RECEIVING, // blocked in read_port or port_buffer_size
    B_THREAD_ASLEEP,    // in snooze
    B_THREAD_SUSPENDED, // not yet resumed, or suspended and not resumed since
    B_THREAD_WAITING,   // in wait_for_thread, or in write_port waiting for room
};

struct thread_info {
    thread_id thread;
    team_id team; // the process id
    char name[B_OS_NAME_LENGTH];
    thread_state state;
    int32 priority;
};

// Creates a thread that waits, suspended, until its first resume_thread; only then does it run
// func(data). The name is kept up to B_OS_NAME_LENGTH - 1 bytes; the system sees its first 15.
// The priority is clamped to 1..B_REAL_TIME_PRIORITY. Returns the id, B_BAD_VALUE without a
// function, or B_NO_MORE_THREADS.
thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data);

// Starts a thread that was never resumed, or lets a suspended thread go on. B_BAD_THREAD_STATE
// when the thread is neither.
status_t resume_thread(thread_id thread);

// Suspension is kept by this layer, not by the system, so it is cooperative: a thread that
// suspends itself stops at once; another running thread stops the next time it calls snooze()
// (on entry and on return) or is about to block in a port call (read_port, port_buffer_size,
// write_port and their _etc forms), and stays there until it is resumed or killed. Code that
// calls none of these is not stopped. get_thread_info reports B_THREAD_SUSPENDED from the call
// on.
status_t suspend_thread(thread_id thread);

// Waits until the thread's function (and its exit hooks) has returned and stores what the
// function returned in *exitValue (may be NULL). A thread that was never resumed is resumed
// first. A thread's exit value can be collected once after it ended; the exit values of the
// last 1024 ended threads are kept for that. B_BAD_THREAD_ID for an unknown or collected id,
// B_NOT_ALLOWED for the calling thread itself.
status_t wait_for_thread(thread_id thread, status_t* exitValue);

// A POSIX thread cannot be stopped safely from outside, so killing is cooperative too:
// - a thread that was never resumed is discarded: its function and exit hooks never run;
// - a running thread is marked killed: its snooze and blocking port calls return B_INTERRUPTED
//   at once, now and from then on, and a suspended thread wakes; the thread ends when its
//   function returns, and its exit hooks then run as usual (so what they free is freed).
// In both cases wait_for_thread waits for the thread's real end and reports B_INTERRUPTED as
// its exit value, whatever the function returned. A thread that kills itself leaves at once,
// as by exit_thread(B_INTERRUPTED).
status_t kill_thread(thread_id thread);

// Leaves the calling thread at once: C++ frames are unwound (as by pthread_exit), its exit
// hooks run, and wait_for_thread reports status. Code that catches every exception and does
// not rethrow must not stand between the caller and the thread's function.
void exit_thread(status_t status);

// Renames a thread; the whole name (up to B_OS_NAME_LENGTH - 1 bytes) is what get_thread_info
// and find_thread see.
status_t rename_thread(thread_id thread, const char* newName);

// Records a new priority (clamped to 1..B_REAL_TIME_PRIORITY) and returns the old one, or
// B_BAD_THREAD_ID.
status_t set_thread_priority(thread_id thread, int32 newPriority);

status_t get_thread_info(thread_id thread, thread_info* info);

// Registers a hook to run on the calling thread when its function returns (or exit_thread is
// called); hooks run in reverse order of registration. For a thread the kit did not spawn they
// run when that thread ends.
status_t on_exit_thread(void (*callback)(void* data), void* data);

// The id of the live thread of that name in this process, or B_NAME_NOT_FOUND; with NULL the
// calling thread's id.
thread_id find_thread(const char* name);

// Sleeps at least that many microseconds. A cooperative point for suspend_thread and
// kill_thread: B_INTERRUPTED when the calling thread was killed, else B_OK.
status_t snooze(bigtime_t microseconds);

// ---------------------------------------------------------------------------------------------
// Ports: queues of records (a code and bytes) that other processes of the same user can write
// to. See docs/ports.md for the rules, the runtime folder and the wire format.
//
// A port is owned by the process that created it; its queue lives there. A named port is
// published as a socket in the user's runtime folder, where other processes of the same user
// find it by name. Port ids are handles local to a process: the owner's id for a port it
// created, a writer's id for a port it found in another process. With a writer's id only
// write_port(_etc) and delete_port (which forgets the handle) work; the others answer
// B_NOT_ALLOWED.

typedef int32 port_id;

// A record is at most this large; larger ones are refused with B_BAD_VALUE, never allocated.
#define B_MAX_PORT_RECORD_SIZE (4 * 1024 * 1024)
// A queue holds at most this many records.
#define B_MAX_PORT_CAPACITY 4096

// Flags of the _etc calls. Timeouts are in microseconds, absolute ones on system_time()'s
// clock. A relative timeout of 0 or less never waits: B_WOULD_BLOCK where a wait was needed.
// B_CAN_INTERRUPT is accepted and changes nothing: signals do not interrupt port calls (a
// kill_thread does, always).
enum {
    B_CAN_INTERRUPT = 1,
    B_TIMEOUT = 8,
    B_RELATIVE_TIMEOUT = 8,
    B_ABSOLUTE_TIMEOUT = 16,
};

// Creates a port whose queue holds up to capacity records (1..B_MAX_PORT_CAPACITY). A name
// (up to B_OS_NAME_LENGTH - 1 bytes, any bytes; longer names are cut) publishes the port so
// that other processes find it, unless a live port of this user already holds that name: then
// only this process finds the new port by name. NULL or "" makes a private port.
port_id create_port(int32 capacity, const char* name);

// A port of that name: one of this process's own, else a published port of another process of
// this user (a writer's id; finding it again returns the same id while its owner lives).
// B_NAME_NOT_FOUND when no live port has the name; a port whose owner died is removed.
port_id find_port(const char* name);

// Lists the names published in the runtime folder, one per call; *cookie starts at 0. Returns
// B_ENTRY_NOT_FOUND after the last. A listed name can belong to a dead owner until find_port
// is asked for it.
status_t get_next_port_name(int32* cookie, char name[B_OS_NAME_LENGTH]);

// Queues a record, waiting while the queue is full. To a port of another process the call
// returns once the owner has kept a place for the record and the record is sent; the owner
// queues it as soon as its serving thread has read it. B_BAD_VALUE for a record larger than
// B_MAX_PORT_RECORD_SIZE or a NULL buffer with a size, B_BAD_PORT_ID once the port is closed,
// deleted or its owner gone, B_INTERRUPTED when the calling thread was killed.
status_t write_port(port_id port, int32 code, const void* buffer, size_t size);
status_t write_port_etc(port_id port, int32 code, const void* buffer, size_t size, uint32 flags,
                        bigtime_t timeout);

// Takes the oldest record, waiting for one. Copies at most size bytes of it (the rest of a
// larger record is dropped with it) and returns the number of bytes copied.
ssize_t read_port(port_id port, int32* code, void* buffer, size_t size);
ssize_t read_port_etc(port_id port, int32* code, void* buffer, size_t size, uint32 flags,
                      bigtime_t timeout);

// The size of the oldest record, waiting for one; the record stays queued.
ssize_t port_buffer_size(port_id port);
ssize_t port_buffer_size_etc(port_id port, uint32 flags, bigtime_t timeout);

// The number of records queued.
ssize_t port_count(port_id port);

// Closing refuses new records (B_BAD_PORT_ID to writers) and unpublishes the name; records
// already queued can still be read, then reads answer B_BAD_PORT_ID.
status_t close_port(port_id port);

// The owner deletes the port: its name is unpublished, queued records are dropped, and waiting
// readers and writers return B_BAD_PORT_ID. A writer's id is only forgotten.
status_t delete_port(port_id port);
