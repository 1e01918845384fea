// The administrative templates: both are well-formed XML (read by the
// system's XmlLite), every text the ADMX refers to is in the ADML, and the
// policies write exactly the values the program reads, where it reads them.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <map>
#include <optional>
#include <regex>
#include <set>

#include "core/policy.h"
#include "core/policy_ignore_rules.h"
#include "platform/system_library.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;

namespace {

struct XmlElement {
    std::string path;  // the local names from the root, "a/b/c"
    std::map<std::string, std::string> attributes;
};

std::string LocalName(IXmlReader& reader) {
    const wchar_t* name = L"";
    reader.GetLocalName(&name, nullptr);
    return Utf8(name);
}

// The document's elements in order; empty when it is not well-formed. The
// nesting is checked here too, as a reader may be lenient.
std::optional<std::vector<XmlElement>> ParseXml(const std::string& text) {
    HRESULT(WINAPI * create)(REFIID, void**, IMalloc*) = nullptr;
    FindExport(LoadSystemLibrary(L"xmllite.dll"), "CreateXmlReader", create);
    IXmlReader* reader = nullptr;
    if (!create || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr))) return {};
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()));
    HRESULT rc = stream ? reader->SetInput(stream) : E_FAIL;
    std::vector<XmlElement> elements;
    std::vector<std::string> open;
    bool rootClosed = false;
    for (XmlNodeType type; rc == S_OK && (rc = reader->Read(&type)) == S_OK;) {
        if (type == XmlNodeType_Element) {
            const bool empty = reader->IsEmptyElement();
            open.push_back(open.empty() ? LocalName(*reader) : open.back() + "/" + LocalName(*reader));
            XmlElement& element = elements.emplace_back(XmlElement{open.back(), {}});
            for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
                const wchar_t* value = L"";
                reader->GetValue(&value, nullptr);
                element.attributes[LocalName(*reader)] = Utf8(value);
            }
            if (rootClosed) rc = E_FAIL;  // a second root
            if (empty) open.pop_back();
        } else if (type == XmlNodeType_EndElement) {
            const size_t slash = open.empty() ? 0 : open.back().rfind('/') + 1;
            if (open.empty() || open.back().substr(slash) != LocalName(*reader)) rc = E_FAIL;
            if (!open.empty()) open.pop_back();
        }
        rootClosed = !elements.empty() && open.empty();
    }
    if (stream) stream->Release();
    reader->Release();
    if (rc != S_FALSE || !rootClosed) return {};
    return elements;
}

std::vector<XmlElement> Template(const std::string& file) {
    const auto elements = ParseXml(test::ReadFile(std::string(VIGILO_POLICY_TEMPLATES) + "/" + file));
    EXPECT_TRUE(elements) << file << " is not well-formed XML";
    return elements.value_or(std::vector<XmlElement>{});
}

// The attribute's value, "-" when it is missing.
std::string Get(const XmlElement& element, const std::string& name) {
    const auto found = element.attributes.find(name);
    return found == element.attributes.end() ? "-" : found->second;
}

}  // namespace

TEST(TemplateXml, IllFormedTextIsRefused) {
    EXPECT_TRUE(ParseXml("<a><b x='1'/></a>"));
    for (const char* text : {"<a><b></a></b>", "<a>", "<a/><b/>", "<a x='1></a>", ""}) EXPECT_FALSE(ParseXml(text)) << text;
}

TEST(Templates, AdmxRefersOnlyToAdmlTextsAndWritesExactlyTheValuesTheProgramReads) {
    std::set<std::string> defined;  // "string.X", "presentation.X"
    for (const XmlElement& e : Template("en-US/Vigilo.adml"))
        if (e.path.ends_with("stringTable/string") || e.path.ends_with("presentationTable/presentation"))
            defined.insert(e.path.substr(e.path.rfind('/') + 1) + "." + Get(e, "id"));
    const std::regex reference(R"(\$\(((string|presentation)\.[^)]*)\))");
    int references = 0;
    std::set<std::string> written, lists, enabled, disabled;
    for (const XmlElement& e : Template("Vigilo.admx")) {
        for (const auto& [name, value] : e.attributes)
            for (std::sregex_iterator it(value.begin(), value.end(), reference), end; it != end; ++it, ++references)
                EXPECT_TRUE(defined.count((*it)[1])) << (*it)[0];
        if (e.path.ends_with("/policy")) {
            EXPECT_EQ(Get(e, "class"), "Both") << Get(e, "name");
            if (e.attributes.count("valueName")) written.insert(Get(e, "valueName") + " in " + Get(e, "key"));
        }
        if (e.path.ends_with("/list")) lists.insert(Get(e, "key") + " prefix=" + Get(e, "valuePrefix"));
        if (e.path.ends_with("enabledValue/decimal")) enabled.insert(Get(e, "value"));
        if (e.path.ends_with("disabledValue/decimal")) disabled.insert(Get(e, "value"));
    }
    EXPECT_GE(references, 2 * 8 + 1);  // a name and an explanation for each of the 8 policies, the list's presentation
    std::set<std::string> read;
    for (const char* name : PolicyValueNames()) read.insert(name + (" in " + kVigiloPolicy.path));
    EXPECT_EQ(written, read);
    // One REG_SZ value a rule, named 1, 2, 3... under the subkey the program reads.
    EXPECT_EQ(lists, std::set<std::string>{kVigiloPolicy.path + "\\" + kPolicyIgnoreSubkey + " prefix="});
    EXPECT_EQ(enabled, std::set<std::string>{"1"});
    EXPECT_EQ(disabled, std::set<std::string>{"0"});
}
