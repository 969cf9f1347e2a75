// The names of the main window's controls that the operations address,
// in one place. A name typed wrong here is a compile error; an index
// outside a control array, or a name that is not here reaching a view, is
// caught by an assertion in debug builds (and by the tests' recorder in
// every build).
#pragma once

#include <string>
#include <vector>

namespace rm27::ctl {

// A control array: members are named base + "_" + index.
struct Array {
    const char* base;
    int size;
    // The member's name; asserts that index is in 0..size-1.
    std::string operator()(int index) const;
};

// Connection and identification.
inline const std::string cmbSelectPort = "cmbSelectPort";
inline const std::string cmdConnect = "cmdConnect";
inline const std::string cmdFindPorts = "cmdFindPorts";
inline const std::string cmbSelectAdr = "cmbSelectAdr";
inline const std::string cmdDevRead = "cmdDevRead";
inline const std::string cmdFindAdr = "cmdFindAdr";
inline const std::string lblID = "lblID";
inline const std::string lblAdresa = "lblAdresa";
inline const std::string cmdReset = "cmdReset";
inline const std::string cmdAdresa = "cmdAdresa";
inline const std::string lstCurves = "lstCurves";
// What the scan's list holds.
inline const std::string lblScanInfo = "lblScanInfo";

// The input table and the status line.
inline const std::string lblStatus = "lblStatus";
inline constexpr Array lblR27ID{"lblR27ID", 4};
inline constexpr Array lblR27Popis{"lblR27Popis", 4};
inline constexpr Array lblR27mVV{"lblR27mVV", 4};
inline constexpr Array lblR27Val{"lblR27Val", 4};
inline constexpr Array lblR27Unit{"lblR27Unit", 4};
inline constexpr Array lblR27Slide{"lblR27Slide", 4};
inline constexpr Array cmdChange{"cmdChange", 4};

// Below the table: raw readings (0..3) and raw readings / 256 (4..7), the
// calibration strip.
inline constexpr Array lblHodnota{"lblHodnota", 8};
inline constexpr Array cmdCopyEKEY_Ext2Int{"cmdCopyEKEY_Ext2Int", 4};
inline constexpr Array lblR38mVVK{"lblR38mVVK", 4};
inline constexpr Array lblR38mVVQ{"lblR38mVVQ", 4};
inline constexpr Array cmdSetmVVKQ{"cmdSetmVVKQ", 12};
inline const std::string cmbFreq = "cmbFreq";
inline const std::string cmdGain = "cmdGain";

// Menus and their items.
inline const std::string mApp = "mApp";
inline const std::string mAbout = "mAbout";
inline const std::string mExit = "mExit";
// "Spustit měření": the measurement started again by hand.
inline const std::string mMereni = "mMereni";
inline const std::string mDevice = "mDevice";
inline const std::string mSaveEE = "mSaveEE";
inline const std::string mLoadEE = "mLoadEE";
inline const std::string mIniteKey = "mIniteKey";
inline const std::string mIniteKeyDavro = "mIniteKeyDavro";
inline const std::string mCopy14 = "mCopy14";
inline const std::string mRestoreEKey = "mRestoreEKey";
inline const std::string mUndo = "mUndo";
inline const std::string MEKEY = "MEKEY";
inline const std::string mppmSave = "mppmSave";
inline const std::string mRMUmain = "mRMUmain";
inline const std::string mRMUset = "mRMUset";

// Every name above, arrays expanded.
const std::vector<std::string>& AllNames();
bool IsKnown(const std::string& name);

// Asserts (debug builds) that name is one of AllNames(); returns it.
const std::string& Checked(const std::string& name);

} // namespace rm27::ctl
