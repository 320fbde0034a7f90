// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The toolkit generation number that picks icons and the notice service. On Linux it is a fixed
// value of the newest generation; tests set it, and so may QUILLMERE_APPKIT_VERSION for
// end-to-end runs of the program.
namespace SystemVersion {
double appKitVersionNumber();
void setAppKitVersionNumber(double version);
} // namespace SystemVersion
