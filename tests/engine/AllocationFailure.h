#pragma once
// Makes the test program's allocations fail on purpose, to reach the out-of-memory paths.

namespace allocationfailure {

// Lets `successes` more allocations through, then fails every later one until Disarm.
void FailAfter(long successes);
void Disarm();

// Disarms on scope exit so that a failed expectation cannot leave allocations failing.
class Scope {
public:
    explicit Scope(long successes) { FailAfter(successes); }
    ~Scope() { Disarm(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace allocationfailure
