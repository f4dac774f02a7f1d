// A bare name listing from an FTP server, read into remote names.
#include "FuzzInput.h"
#include "ftp/FtpListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList names = FtpListing::remoteNames(FuzzInput::bytes(data, size));
    for (const QString &name : names) {
        if (name.isEmpty() || name == u'.' || name.contains(u'\n'))
            __builtin_trap();
        (void)FtpListing::remoteIconKey(name);
        (void)FtpListing::isTextFile(name);
    }
    return 0;
}
