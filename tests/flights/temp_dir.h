#pragma once

#include "../common/test_files.h"

namespace kestrova::test {

using test_support::ReadBytes;
using test_support::RunShell;
using test_support::ShellResult;
using test_support::TempDir;
using test_support::WriteBytes;

}  // namespace kestrova::test
