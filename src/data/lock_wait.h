#pragma once

namespace cofrel::data {

// One operation of a person's (a click and everything it leads to, nested
// dialogs included) waits for a table locked by another program once, up
// to two seconds: after the first statement that gave up waiting, the
// operation's later statements fail at once instead of each waiting again.
// The next operation waits anew. Nested scopes belong to the outermost.
class LockWaitOperation final {
public:
    LockWaitOperation() noexcept;
    ~LockWaitOperation();
    LockWaitOperation(const LockWaitOperation &) = delete;
    LockWaitOperation &operator=(const LockWaitOperation &) = delete;
};

} // namespace cofrel::data
