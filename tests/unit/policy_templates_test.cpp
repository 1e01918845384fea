// The administrative templates an administrator imports into the policy
// editor: both files are well-formed XML (read by the system's XmlLite),
// every text and presentation the ADMX refers to is in the ADML, and the
// policies write exactly the values the program reads, where it reads them.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <span>

#include "core/policy.h"
#include "core/policy_ignore_rules.h"
#include "platform/system_library.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {

const std::string kTemplates = VIGILO_POLICY_TEMPLATES;

struct XmlElement {
    std::string name;  // local name, without namespace prefix
    std::map<std::string, std::string> attributes;
    std::vector<XmlElement> children;
};

template <typename Com>
struct Released {
    void operator()(Com* object) const { object->Release(); }
};

std::string LocalName(IXmlReader& reader) {
    const wchar_t* name = L"";
    reader.GetLocalName(&name, nullptr);
    return Utf8(name);
}

// The element the reader stands on, with its attributes.
XmlElement ReadElement(IXmlReader& reader) {
    XmlElement element{LocalName(reader), {}, {}};
    for (HRESULT more = reader.MoveToFirstAttribute(); more == S_OK; more = reader.MoveToNextAttribute()) {
        const wchar_t* value = L"";
        reader.GetValue(&value, nullptr);
        element.attributes[LocalName(reader)] = Utf8(value);
    }
    reader.MoveToElement();
    return element;
}

// The document's root element; empty when the text is not well-formed. The
// nesting is checked here as well, not left to the reader alone.
std::optional<XmlElement> ParseXml(const std::string& text) {
    using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    CreateReader create = nullptr;
    FindExport(LoadSystemLibrary(L"xmllite.dll"), "CreateXmlReader", create);
    if (!create) return std::nullopt;
    IXmlReader* raw = nullptr;
    if (FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&raw), nullptr))) return std::nullopt;
    const std::unique_ptr<IXmlReader, Released<IXmlReader>> reader(raw);
    const std::unique_ptr<IStream, Released<IStream>> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size())));
    if (!stream || FAILED(reader->SetInput(stream.get()))) return std::nullopt;

    std::vector<XmlElement> open;
    std::optional<XmlElement> root;
    const auto close = [&] {
        XmlElement done = std::move(open.back());
        open.pop_back();
        if (open.empty())
            root = std::move(done);
        else
            open.back().children.push_back(std::move(done));
    };
    XmlNodeType type;
    HRESULT rc;
    while ((rc = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_Element) {
            if (root) return std::nullopt;  // a second root
            const bool empty = reader->IsEmptyElement();
            open.push_back(ReadElement(*reader));
            if (empty) close();
        } else if (type == XmlNodeType_EndElement) {
            if (open.empty() || open.back().name != LocalName(*reader)) return std::nullopt;
            close();
        }
    }
    if (rc != S_FALSE || !open.empty()) return std::nullopt;
    return root;
}

// Calls visit for element and every element inside it.
void Visit(const XmlElement& element, const std::function<void(const XmlElement&)>& visit) {
    visit(element);
    for (const XmlElement& child : element.children) Visit(child, visit);
}

// The first child named name; null when there is none (or no element).
const XmlElement* Child(const XmlElement* element, const std::string& name) {
    if (!element) return nullptr;
    for (const XmlElement& child : element->children)
        if (child.name == name) return &child;
    return nullptr;
}

std::string Attribute(const XmlElement* element, const std::string& name) {
    if (!element) return "(no element)";
    const auto found = element->attributes.find(name);
    return found == element->attributes.end() ? "(no attribute)" : found->second;
}

struct Templates : ::testing::Test {
    static XmlElement Load(const std::string& file) {
        std::optional<XmlElement> root = ParseXml(test::ReadFile(kTemplates + "/" + file));
        EXPECT_TRUE(root) << file << " is not well-formed XML";
        return root.value_or(XmlElement{});
    }
    const XmlElement admx = Load("Vigilo.admx");
    const XmlElement adml = Load("en-US/Vigilo.adml");
};

}  // namespace

TEST(TemplateXml, IllFormedTextIsRefused) {
    EXPECT_TRUE(ParseXml("<a><b x='1'/></a>"));
    for (const char* text : {"<a><b></a></b>", "<a>", "<a/><b/>", "<a x='1></a>", ""})
        EXPECT_FALSE(ParseXml(text)) << text;
}

TEST_F(Templates, EveryReferenceOfTheAdmxIsDefinedInTheAdml) {
    std::map<std::string, std::set<std::string>> defined;  // "string" or "presentation" -> ids
    Visit(adml, [&](const XmlElement& e) {
        if (e.name == "string" || e.name == "presentation") defined[e.name].insert(Attribute(&e, "id"));
    });
    const std::regex reference(R"(\$\((string|presentation)\.([^)]*)\))");
    int references = 0;
    Visit(admx, [&](const XmlElement& e) {
        for (const auto& [name, value] : e.attributes)
            for (std::sregex_iterator it(value.begin(), value.end(), reference), end; it != end; ++it, ++references)
                EXPECT_TRUE(defined[(*it)[1]].count((*it)[2])) << (*it)[0] << " of " << e.name;
    });
    EXPECT_GE(references, 2 * 8 + 1);  // a name and an explanation per policy, and the list's presentation
}

TEST_F(Templates, PoliciesWriteExactlyTheValuesTheProgramReads) {
    std::set<std::string> written, lists;
    Visit(admx, [&](const XmlElement& e) {
        if (e.name == "list") {
            lists.insert(Attribute(&e, "key"));
            EXPECT_EQ(Attribute(&e, "valuePrefix"), "");  // values named 1, 2, 3...
        }
        if (e.name != "policy") return;
        EXPECT_EQ(Attribute(&e, "class"), "Both") << Attribute(&e, "name");
        if (Child(&e, "elements")) return;
        written.insert(Attribute(&e, "valueName"));
        EXPECT_EQ(Attribute(&e, "key"), kVigiloPolicy.path);
        EXPECT_EQ(Attribute(Child(Child(&e, "enabledValue"), "decimal"), "value"), "1");
        EXPECT_EQ(Attribute(Child(Child(&e, "disabledValue"), "decimal"), "value"), "0");
    });
    const std::span<const char* const> read = PolicyValueNames();
    EXPECT_EQ(written, std::set<std::string>(read.begin(), read.end()));
    EXPECT_EQ(lists, std::set<std::string>{kVigiloPolicy.path + "\\" + kPolicyIgnoreSubkey});
}
