// runInChild: runs a test body in a forked child, for what must not touch the test process
// (dropping privileges, a mount namespace of its own).
#pragma once

#include <functional>
#include <string>

namespace tarvolin::test {

// The body returns "" on success, "SKIP: why" when the machine cannot run it, or what went
// wrong. The child's answer comes back through a pipe; a crash reads as a failure.
std::string runInChild(const std::function<std::string()>& body);

// In a child: become the unprivileged user 65534 if running as root. False when impossible.
bool dropPrivileges();

}  // namespace tarvolin::test
