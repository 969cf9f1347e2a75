#include "session/controls.h"

#include <algorithm>
#include <cassert>

namespace rm27::ctl {

std::string Array::operator()(int index) const {
    assert(index >= 0 && index < size && "control array index out of range");
    return std::string(base) + "_" + std::to_string(index);
}

const std::vector<std::string>& AllNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out = {
            cmbSelectPort, cmdConnect, cmdFindPorts, cmbSelectAdr,   cmdDevRead, cmdFindAdr,
            lblID,         lblAdresa,  cmdReset,     cmdAdresa,      lstCurves,  lblStatus,
            cmbFreq,       cmdGain,    mApp,         mAbout,         mExit,      mDevice,
            mSaveEE,       mLoadEE,    mIniteKey,    mIniteKeyDavro, mCopy14,    mRestoreEKey,
            mUndo,         MEKEY,      mppmSave,     mRMUmain,       mRMUset,    mMereni,
            lblScanInfo,
        };
        for (const Array& a :
             {lblR27ID, lblR27Popis, lblR27mVV, lblR27Val, lblR27Unit, lblR27Slide, cmdChange,
              lblHodnota, cmdCopyEKEY_Ext2Int, lblR38mVVK, lblR38mVVQ, cmdSetmVVKQ}) {
            for (int i = 0; i < a.size; ++i)
                out.push_back(a(i));
        }
        std::sort(out.begin(), out.end());
        return out;
    }();
    return names;
}

bool IsKnown(const std::string& name) {
    const auto& names = AllNames();
    return std::binary_search(names.begin(), names.end(), name);
}

const std::string& Checked(const std::string& name) {
    assert(IsKnown(name) && "not a control of the main window");
    return name;
}

} // namespace rm27::ctl
