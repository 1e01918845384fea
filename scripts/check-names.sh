#!/usr/bin/env bash
# Fails when src/ names a type in the old form-designer dialect (a class,
# struct, enum or alias named T and a capital letter) or a member after its
# control kind and a number (Label3b, Check1, Button1Click, Timer1). Names
# that other programs see (window class names such as "TForm1") are strings,
# not types, and are not looked at: string literals and comments are left
# out before the check.
set -euo pipefail
src=$(cd "$(dirname "$0")/../src" && pwd)
kinds='Label|Check|CheckBox|Button|Image|Edit|Memo|Panel|Timer|MenuItem|PopupMenu|Form|Shape|Bevel|ListBox|ComboBox|Picture|Link'
found=$(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
    xargs -0 perl -ne '
        s{//.*}{}; s{"(?:[^"\\]|\\.)*"}{""}g;
        my $rel = $ARGV =~ s{^.*/src/}{src/}r;
        print "$rel:$.: type $1\n" while /\b(?:class|struct|enum(?:\s+class)?|using)\s+(T[A-Z]\w*)/g;
        print "$rel:$.: member $1\n" while /\b((?:'"$kinds"')[0-9]+[A-Za-z]*)\b/g;
    } continue { close ARGV if eof' || true)
if [ -n "$found" ]; then
    echo "names: named in the old dialect (use a name that says what it does):" >&2
    echo "$found" >&2
    exit 1
fi
echo "names: no T-prefixed types, no members named by a number"
