#pragma once

class MessageBoxes;
class StoreError;

// What the program does when the store fails: it says so with the store's message and ends,
// so that nothing goes on as if a change had been saved.
class StoreFailure
{
public:
    StoreFailure() = delete;

    static constexpr int kExitCode = 2;

    // The message boxes the report goes through; the program's own until a test sets others.
    static void setMessageBoxes(MessageBoxes* boxes);
    // Shows the error and asks every event loop to end with kExitCode.
    static void report(const StoreError& error);
};
