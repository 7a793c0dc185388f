// What one step of a command gives back: the value it made, or, when it
// failed, the exit status the command ends with. A failed step has written
// its message to standard error already, so the caller only passes the
// status on:
//
//   const Result<Folder> folder = Folder::Open(session, path);
//   if (!folder) return folder.status();
#pragma once

#include <optional>
#include <utility>

namespace cli {

// The exit status of a step that failed, its message already written.
struct Failure {
  int status;
};

template <typename T>
class Result {
 public:
  // Implicit both ways, so that a step can `return value;` or
  // `return Failure{session.Fail(...)};`.
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : status_(failure.status) {}

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  // The failed step's exit status; only meaningful when there is no value.
  int status() const { return status_; }

 private:
  std::optional<T> value_;
  int status_ = 0;
};

}  // namespace cli
