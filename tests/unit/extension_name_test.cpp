// How the Internet Explorer monitor names a new add-on: the steps of the
// name resolution, each read in the registry view the monitor watches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitors/finding_rules.h"
#include "platform/registry.h"
#include "support/registry_sandbox.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const HKEY kLm = HKEY_LOCAL_MACHINE;
const std::string kId = "{5A3F0C1E-VIGILO-TEST-0000-00000000000A}";
const std::string kClassId = "{5A3F0C1E-VIGILO-TEST-0000-00000000000B}";
const std::string kExtensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
const std::string kApproved = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// Registry values written in one view, and every key made for them removed
// afterwards (before, too, after a crashed run). Only the real HKLM has both
// views: the tests write there, in keys of their own only.
class Registrations {
    RealLocalMachine realMachineKey_;

public:
    Registrations() { Clear(); }
    ~Registrations() { Clear(); }
    void Set(HKEY root, const std::string& key, const std::string& name, const std::string& value,
             RegistryView view = RegistryView::k64Bit) {
        UniqueKey k = CreateKey(root, key, KEY_SET_VALUE, view);
        ASSERT_TRUE(k) << key;
        RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }

private:
    static void Clear() {
        for (RegistryView view : {RegistryView::k64Bit, RegistryView::k32Bit}) {
            for (const std::string& id : {kId, kClassId}) {
                Delete(kLm, kExtensions + id, view);
                Delete(kLm, "SOFTWARE\\Classes\\CLSID\\" + id, view);
                if (UniqueKey approved = OpenKey(kLm, kApproved, KEY_SET_VALUE, view))
                    RegDeleteValueA(approved.get(), id.c_str());
            }
        }
    }
    static void Delete(HKEY root, const std::string& key, RegistryView view) {
        if (UniqueKey k = OpenKey(root, key, KEY_ALL_ACCESS, view)) RegDeleteTreeA(k.get(), nullptr);
        RegDeleteKeyExA(root, key.c_str(), ViewFlag(view), 0);
    }
};

}  // namespace

TEST(ExtensionName, ButtonTextComesFirstThenTheClassOfItsClassId) {
    Registrations r;
    r.Set(kLm, "SOFTWARE\\Classes\\CLSID\\" + kClassId, "", "Class Of Button");
    r.Set(kLm, kExtensions + kId, "CLSID", kClassId);
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), "CLASS OF BUTTON");
    r.Set(kLm, kExtensions + kId, "ButtonText", "  My Toolbar Button ");
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), "MY TOOLBAR BUTTON");
}

// Wine's merged class view (HKEY_CLASSES_ROOT) is the machine's class key
// alone, so a class registered for the user only is not tried here.
TEST(ExtensionName, BrowserHelperObjectIsNamedByItsOwnClass) {
    Registrations r;
    r.Set(kLm, "SOFTWARE\\Classes\\CLSID\\" + kId, "", "Helper Object");
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), "HELPER OBJECT");
}

TEST(ExtensionName, ApprovedShellExtensionThenTheSubkeyNameItself) {
    Registrations r;
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), kId);  // in its own letter case
    r.Set(kLm, kExtensions + kId, "CLSID", kClassId);
    r.Set(kLm, kApproved, kClassId, "Approved Extension");
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), "APPROVED EXTENSION");
}

// A 32-bit add-on on 64-bit Windows registers its entry and its class in
// the 32-bit view; only a monitor of that view finds its name.
TEST(ExtensionName, IsResolvedInTheViewItWasRegisteredIn) {
    Registrations r;
    r.Set(kLm, "SOFTWARE\\Classes\\CLSID\\" + kId, "", "Thirty-Two Bit Helper", RegistryView::k32Bit);
    r.Set(kLm, kExtensions + kClassId, "ButtonText", "Thirty-Two Bit Button", RegistryView::k32Bit);
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k32Bit), "THIRTY-TWO BIT HELPER");
    EXPECT_EQ(ResolveExtensionName(kClassId, RegistryView::k32Bit), "THIRTY-TWO BIT BUTTON");
    EXPECT_EQ(ResolveExtensionName(kId, RegistryView::k64Bit), kId);
    EXPECT_EQ(ResolveExtensionName(kClassId, RegistryView::k64Bit), kClassId);
}

// Each of Internet Explorer's rows knows the kind of its add-ons, whatever
// the key's path: the same id is an extension, named by its ButtonText,
// through the Extensions row, and a helper, named by its class, through the other.
TEST(ExtensionName, EachInternetExplorerRowNamesItsAddOnsAsItsOwnKind) {
    Registrations r;
    r.Set(kLm, kExtensions + kId, "ButtonText", "Toolbar Button");
    r.Set(kLm, "SOFTWARE\\Classes\\CLSID\\" + kId, "", "Helper Class");
    const PlaceSpec place{kLm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"};
    const Listing none, fresh{{{kId}}};
    const RoundSight sight{place, none, fresh};
    EXPECT_EQ(NewInternetExplorerExtensions(sight).at(0).ownName, "Toolbar Button");
    EXPECT_EQ(NewInternetExplorerHelpers(sight).at(0).ownName, "Helper Class");
}
