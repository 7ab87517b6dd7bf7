// The panel's keys flip screens: the program's Orvanta3KeyPress export, which drivers call with
// a keypad code, navigates the display thread of the newest TKeypadNavigation while it lives.
#pragma once

namespace orv {

class TControlThread;

class TKeypadNavigation {
public:
    explicit TKeypadNavigation(TControlThread& thread);
    ~TKeypadNavigation(); // no key reaches the thread once this returns
    TKeypadNavigation(const TKeypadNavigation&) = delete;
    TKeypadNavigation& operator=(const TKeypadNavigation&) = delete;

private:
    TControlThread& thread_;
};

} // namespace orv
