#!/bin/bash
# Lists the functions of the program's sources longer than a limit (80 lines by default), counted
# from the line of the opening brace to that of the closing one, longest first; fails when there
# is one. Lambdas and local classes count as part of the function they are in; a function's
# body inside a class counts as a function. It reads the sources as text (comments and strings
# blanked out), not through a compiler, so a macro that hides a brace can fool it.
#   tools/long-functions.sh [--limit N] [file or folder ...]   (default: app cli device librarian presets simulator)
set -euo pipefail
cd "$(dirname "$0")/.."

limit=80
if [[ ${1:-} == --limit ]]; then
    limit=$2
    shift 2
fi

paths=("$@")
[[ ${#paths[@]} -gt 0 ]] || paths=(app cli device librarian presets simulator)
mapfile -t files < <(find "${paths[@]}" -name '*.cpp' -o -name '*.h' | sort)

python3 - "$limit" "${files[@]}" <<'PYTHON'
import re, sys

CONTROL = re.compile(r'^\s*(if|for|while|switch|else|do|catch|try|namespace|class|struct|enum|union|return)\b')

def blank_comments_and_strings(text):
    out, i, n = [], 0, len(text)
    while i < n:
        if text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
            out.append(' ' * (j - i))
            i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:j]))
            i = j
        elif text[i] == '"' and i > 0 and text[i - 1] == 'R':
            m = re.match(r'R"([^(]*)\(', text[i - 1:])
            close = ')' + m.group(1) + '"'
            j = text.find(close, i)
            j = n if j < 0 else j + len(close)
            out.append(re.sub(r'[^\n]', ' ', text[i:j]))
            i = j
        elif text[i] in '"\'':
            j = i + 1
            while j < n and text[j] != text[i]:
                j += 2 if text[j] == '\\' else 1
            out.append(' ' * (j + 1 - i))
            i = j + 1
        else:
            out.append(text[i])
            i += 1
    return ''.join(out)

def long_functions(path, limit):
    text = blank_comments_and_strings(open(path, encoding='utf-8', errors='replace').read())
    stack, header_start, found = [], 0, []
    for i, c in enumerate(text):
        if c == '{':
            header = text[header_start:i].strip()
            inside_function = any(kind == 'function' for kind, _, _ in stack)
            is_function = (not inside_function and '(' in header and not CONTROL.match(header)
                           and not header.endswith('=') and '[' not in header.split('(')[0])
            stack.append(('function' if is_function else 'block', i, header))
            header_start = i + 1
        elif c == '}':
            if stack:
                kind, start, header = stack.pop()
                lines = text.count('\n', start, i) + 1
                if kind == 'function' and lines > limit:
                    name = re.sub(r'\s+', ' ', header.split('(')[0]).strip().split(' ')[-1]
                    found.append((lines, f"{path}:{text.count(chr(10), 0, start) + 1}", name))
            header_start = i + 1
        elif c == ';':
            header_start = i + 1
    return found

limit = int(sys.argv[1])
found = sorted((f for path in sys.argv[2:] for f in long_functions(path, limit)), reverse=True)
for lines, where, name in found:
    print(f"{lines:4d} lines  {where}  {name}")
sys.exit(1 if found else 0)
PYTHON
