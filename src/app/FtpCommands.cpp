#include "app/Main.h"
#include "ftp/FtpWindow.h"

void TMainForm::TransferparFTP1Click()
{
    TFtp window(this);
    window.exec();
}
