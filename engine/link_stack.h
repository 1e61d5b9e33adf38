#pragma once

#include <string_view>

// The built-in password under which the local adapter's messages are sealed.
inline constexpr std::string_view kHostAdapterPassword = "Seven amber kites drift above the quarry at dusk.";

// Assembles the process's stack: raw layer at the bottom, the encryption layer keyed with `passwordText`,
// the packet layer on top. Does nothing when given no text.
void BuildLinkStack(std::string_view passwordText);
// Destroys the three layers and then the stack, each only if it exists.
void DestroyLinkStack();
