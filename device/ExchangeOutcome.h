#pragma once

/** How an exchange with the device ended, as the preset manager's take-result calls report it
    and the transfer worker keeps it. A plain enum, not a class: the manager keeps the failures
    in the same atomic int as the positive phases of a running exchange.
*/
namespace ExchangeOutcome
{
    enum Code : int
    {
        running = 0, // not over yet: wait, then take the result again
        success = 1,
        checksumFailed = -1, // the device reported CHECKSUM FAILED, or a reply failed our check
        deviceError = -2,    // ERR from the device, the device gone, or the exchange abandoned
        timeout = -3
    };
}
