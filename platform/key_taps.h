// key_taps.h — every key press is seen by the program, however short, and a held key
// is one press. Shared by the backends.
//
// The program reads its key table only in an idle pass, when the queue is empty. A
// press and its release that reach the queue within one drain (a quick tap on a slow
// machine, or keys sent by a tool) would set and clear the key before anything
// looked, and the tap would be lost. So a backend asks MustWait before it hands out a
// message: a release whose press went out since the last empty poll waits, the poll
// reports an empty queue once, and the release goes out on the next poll.
#pragma once

#include <bitset>
#include <cstdint>

#include "platform/platform.h"

class KeyTaps {
public:
    bool MustWait(const PlatMessage& message) const;
    void Delivered(const PlatMessage& message);
    void QueueFoundEmpty() { pressedSinceIdle_.reset(); }

private:
    std::bitset<256> pressedSinceIdle_;
};

// A key-down whose key was already down (bit 30 of lParam, the previous state): the
// key table has the key set already, so the message changes nothing but F1's toggle,
// which it would repeat while the key is held (each a mode change on a real display).
bool RepeatsAHeldKey(const PlatMessage& message);
