#!/usr/bin/env python3
"""Where a linked module's bytes go: code, data and unwind tables per library, from the
linker's map (-Wl,-Map). Usage: module_size.py MAP [LIBRARIES [MEMBERS]]: the largest
LIBRARIES libraries (all by default), then the largest MEMBERS archive members (none)."""
import collections
import re
import sys

SECTIONS = ('.text', '.rdata', '.data', '.bss', '.eh_frame', '.pdata', '.xdata', '.gcc_except_table')


def contributions(map_path):
    """(section, object file, size) for every input section of the map that has a size."""
    pending = None
    for line in open(map_path, encoding='utf-8', errors='replace'):
        parts = line.split()
        if line.startswith(' ') and not line.startswith('  ') and len(parts) == 1:
            pending = parts[0]  # a long section name; its address and size follow on the next line
            continue
        if line.startswith(' ') and not line.startswith('  ') and len(parts) >= 4 \
                and parts[1].startswith('0x') and parts[2].startswith('0x'):
            yield parts[0], parts[3], int(parts[2], 16)
        elif pending and len(parts) >= 3 and parts[0].startswith('0x') and parts[1].startswith('0x'):
            yield pending, parts[2], int(parts[1], 16)
        pending = None


def main():
    by_library = collections.Counter()
    by_member = collections.Counter()
    for section, origin, size in contributions(sys.argv[1]):
        if not section.startswith(SECTIONS) or size == 0:
            continue
        name = origin.split('/')[-1]
        library = re.sub(r'\(.*', '', name)
        by_library[library] += size
        by_member[name] += size
    print('%8d  all input sections' % sum(by_library.values()))
    libraries = int(sys.argv[2]) if len(sys.argv) > 2 else None
    for library, size in by_library.most_common(libraries):
        print('%8d  %s' % (size, library))
    members = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    for member, size in by_member.most_common(members):
        print('%8d    %s' % (size, member))


if __name__ == '__main__':
    main()
