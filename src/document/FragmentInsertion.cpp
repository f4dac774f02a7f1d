#include "FragmentInsertion.h"

namespace Fragment {

static ModalRunner &modalRunner()
{
    static ModalRunner runner;
    return runner;
}

void setModalRunner(ModalRunner runner) { modalRunner() = std::move(runner); }

void runModal(QDialog &dialog)
{
    if (modalRunner())
        modalRunner()(dialog);
    else
        dialog.exec();
}

} // namespace Fragment
