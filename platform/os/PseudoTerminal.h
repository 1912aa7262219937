#pragma once
// A pseudo-terminal pair whose slave side stands in for a serial device: the
// program opens the slave (through a port link), the peer (a test or the
// scanner simulator) reads and writes the master. The pair keeps a slave
// descriptor of its own so that the master stays usable while the program
// has the port closed; closing the master hangs the slave up, as unplugging
// a device does.

#include <string>

class PseudoTerminal {
public:
    PseudoTerminal();  // throws std::runtime_error when no pty can be made
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }
    bool IsOpen() const { return master_ >= 0; }
    // Clears the exclusive mode a program left on the slave when it ended
    // without closing the port (killed, crashed): this pair keeps the slave
    // open, so the mode would outlive the program and turn the next one
    // away. A program that still holds the port (its lock) keeps it. True
    // when the mode was cleared.
    bool ReleaseStaleExclusive();

    // Writes all bytes to the master (waiting while the pty is full);
    // false when the pair was closed.
    bool Write(const std::string& bytes);
    // Reads what has arrived at the master, waiting up to timeoutMs for the
    // first byte; empty on time-out.
    std::string Read(int timeoutMs);
    // Reads until `count` bytes arrived or timeoutMs passed.
    std::string ReadExactly(std::size_t count, int timeoutMs);

    // Closes the master and the held slave: the program's side hangs up.
    void Close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
