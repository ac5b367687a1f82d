#pragma once

/** Every pause the librarian makes on purpose, in milliseconds. They are the device's pace and
    the user's reading time, not the program's: nothing else it waits for is idle time.

    The defaults are what the device needs. The program and the demo use them; tests, the fault
    matrix and the end-to-end runs that are not about timing hand in brief() instead, so that
    they do not sleep through real pauses.
*/
struct LibrarianTimings
{
    /** Before each request frame: the device takes the next request only after a moment. */
    int pauseBeforeRequestMs = 40;

    /** Between a job's progress window coming up and its first request. */
    int pauseBeforeJobMs = 200;

    /** After a job's last transfer, so that its last status can be read before the window goes. */
    int pauseAfterTransferMs = 1000;

    /** Between the ports opening at start-up and the first read: the device settles first. */
    int pauseBeforeFirstReadMs = 500;

    /** Before detection looks for the device again ("Try again"), and before a device that has
        come back is read.
    */
    int pauseBeforeRetryMs = 2000;

    /** The longest the transfer worker waits for an exchange before it looks again anyway: the
        end of an exchange wakes it at once, so these only set how often a running exchange's
        progress is looked at. Name reads, and full transfers once nearly done, are looked at
        often; young full transfers rarely.
    */
    int quickLookMs = 20;
    int slowLookMs = 200;

    /** Pauses of no length, for a device that needs none: the in-process simulator. */
    static constexpr LibrarianTimings brief() noexcept { return { 0, 0, 0, 0, 0 }; }
};
