#pragma once
// Child processes: CreateProcess starts a program with its standard input,
// output and error redirected to pipes and hands back a stream over them.
// Reading takes what the child wrote (waiting for at least one byte while
// the child lives); writing feeds the child's input.

#include "io/QXReadAhead.h"
#include "io/QXStream.h"

class ProcStream final : public QXStream {
public:
    // The stream's state: open, the child closed its end (or ended), or a
    // pipe call failed otherwise.
    enum State { kOpen = 0, kClosedByChild = 1, kFailed = -1 };

    // The child's process information, as the system gave it.
    struct Child {
        void* process;
        void* thread;
        unsigned long processId;
        unsigned long threadId;
    };

    // Starts `commandLine` unchanged, detached from any console; null when a
    // pipe or the process cannot be created.
    static ProcStream* start(const char* commandLine);

    ~ProcStream() override;

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int avail() override;
    int eof() override;

    int state() const { return state_; }
    const Child& child() const { return child_; }

private:
    ProcStream(const Child& child, void* output, void* input);
    // Waits for output (or the end of the pipe) and keeps what arrives.
    void fillBuffer();
    int readPipe(void* buffer, int count);
    int pipeAvail();
    void recordFailure(unsigned long error);

    Child child_;
    void* output_;  // read end of the pipe that carries the child's output
    void* input_;   // write end of the pipe that feeds the child's input
    int state_ = kOpen;
    // Output already taken from the pipe.
    QXReadAhead readAhead_;
};
