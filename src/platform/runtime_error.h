// Runtime errors: a failing step throws a RuntimeError carrying the error's number and text.
// An event handler that does not trap it ends at that step; the runtime's event boundary
// reports it (a stop-icon message box with the number and the text) and the program runs on.
#pragma once

#include <exception>
#include <functional>
#include <new>
#include <string>
#include <utility>

namespace pindle::platform {

// Error numbers the program and the backends raise.
namespace err {
inline constexpr int kInvalidArgument = 5;  // invalid procedure call or argument
inline constexpr int kOutOfMemory = 7;
inline constexpr int kInternal = 51;  // an unexpected failure inside the runtime
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIo = 57;
inline constexpr int kDiskFull = 61;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kPrinterError = 482;
inline constexpr int kCancelSelected = 32755;  // the print dialog was cancelled
}  // namespace err

class RuntimeError : public std::exception {
 public:
  RuntimeError(int number, std::u16string description)
      : number_(number), description_(std::move(description)), what_(MakeWhat()) {}

  int Number() const { return number_; }
  const std::u16string& Description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string MakeWhat() const;

  int number_;
  std::u16string description_;
  std::string what_;
};

// Thrown by End: stops the program at once.  Not an error; the event boundary ends the run.
struct ProgramEnd {};

// "On Error Resume Next" for one handler: each Step runs, and an error it raises is recorded
// (Number) and skipped so the handler continues with its next step: a RuntimeError with its
// number, running out of memory as kOutOfMemory, any other failure as kInternal, as the event
// boundary would report them.  End is no error and passes.  Entering the trap clears the
// error state.
class ResumeNextTrap {
 public:
  template <class Fn>
  void Step(Fn&& fn) {
    try {
      std::forward<Fn>(fn)();
    } catch (const RuntimeError& e) {
      number_ = e.Number();
    } catch (const std::bad_alloc&) {
      number_ = err::kOutOfMemory;
    } catch (const std::exception&) {
      number_ = err::kInternal;
    }
  }
  int Number() const { return number_; }

 private:
  int number_ = 0;
};

}  // namespace pindle::platform
