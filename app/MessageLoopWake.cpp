#include "app/MessageLoopWake.h"

#if JUCE_LINUX || JUCE_BSD
 #include <fcntl.h>
 #include <unistd.h>

MessageLoopWake::MessageLoopWake()
{
    if (::pipe2 (pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        return;

    juce::LinuxEventLoop::registerFdCallback (pipeEnds[0],
                                              [] (int descriptor)
                                              {
                                                  char bytes[64];

                                                  while (::read (descriptor, bytes, sizeof (bytes)) > 0) {}
                                              });
}

MessageLoopWake::~MessageLoopWake()
{
    if (pipeEnds[0] < 0)
        return;

    juce::LinuxEventLoop::unregisterFdCallback (pipeEnds[0]);
    ::close (pipeEnds[0]);
    ::close (pipeEnds[1]);
}

void MessageLoopWake::wake()
{
    const char byte = 0;

    if (pipeEnds[1] >= 0)
        [[maybe_unused]] const auto written = ::write (pipeEnds[1], &byte, 1);
}

#else

MessageLoopWake::MessageLoopWake() = default;
MessageLoopWake::~MessageLoopWake() = default;
void MessageLoopWake::wake() {}

#endif
