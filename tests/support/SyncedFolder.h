#pragma once
// The folder an fsync stand-in was handed, for tests that note which folders
// reach the disk.
#include <string>

// The path of the folder the descriptor is open on, as the system names it;
// empty when it is no folder or cannot be named.
std::string FolderOfDescriptor(int fd);
