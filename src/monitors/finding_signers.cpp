#include "monitors/finding_signers.h"

#include "core/checked_file.h"
#include "core/signer_check.h"
#include "core/signer_line.h"

namespace vigilo {

void AddSigners(std::vector<Finding>& findings) {
    std::vector<std::string> files;
    std::vector<Finding*> checked;
    const size_t first = findings.size() > kSignedFindingsOfARound ? findings.size() - kSignedFindingsOfARound : 0;
    for (size_t i = first; i < findings.size(); ++i) {
        const std::string file = FileToCheck(findings[i].program);
        if (file.empty()) continue;
        files.push_back(file);
        checked.push_back(&findings[i]);
    }
    if (files.empty()) return;
    const std::vector<FileSignature> signatures = CheckFileSignatures(files);
    for (size_t i = 0; i < checked.size(); ++i) {
        checked[i]->signerLine = SignatureLine(signatures[i], checked[i]->publisher);
        checked[i]->signer = SignatureRecordField(signatures[i]);
    }
}

}  // namespace vigilo
