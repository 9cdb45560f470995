// The daemon's one contact with SELinux. Where it is enforcing, the CUPS
// filter may only read a file in /tmp that carries the cupsd_tmp_t type, so
// the information file is labelled before it is put in place.
#pragma once

// True when SELinux is enabled and enforcing.
bool SelinuxEnforcing();

// Gives the open file `fd` the type cupsd_tmp_t, keeping the rest of its
// context. Works on the descriptor, never on a name that could be swapped.
bool LabelForCups(int fd);
