// Where the photo buffer hands finished plane records: the filter's device
// entry writes them to standard output. Kept as a narrow interface so the
// image library does not depend on the filter.
#pragma once

class CommandSink {
public:
    // Writes a prepared record; 1 when written, 0 for a null or empty record.
    virtual int SetCommand(char* bytes, unsigned long length) = 0;

protected:
    ~CommandSink() = default;
};
