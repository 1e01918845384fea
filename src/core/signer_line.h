#pragma once
// The line a new-program or startup window gives the signature of the file
// behind the finding, in the language file's words.
#include <string>

#include "platform/authenticode.h"

namespace vigilo {

// text with every "%s" replaced by value. The text is never read as a
// format: any other "%" stays as it is, and so does a "%s" inside value.
std::string WithNameFor(const std::string& text, const std::string& value);

// Whether the registry's Publisher names someone else than the signer:
// different once letter case, punctuation, blanks and legal suffixes (Inc,
// LLC, Ltd, GmbH, Corp and their long forms) are set aside. An empty
// Publisher names no one and differs from nobody.
bool PublisherDiffersFromSigner(const std::string& publisher, const std::string& signer);

// The window's line: "Signed by ..." (or that it is not the publisher the
// entry names), "Not signed", "Signature broken: ...", "Signed by ..., whom
// Windows does not trust"; empty where there is nothing to say.
std::string SignatureLine(const FileSignature& signature, const std::string& publisher);

}  // namespace vigilo
