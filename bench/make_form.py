#!/usr/bin/env python3
"""Writes a large Visual Basic form for the conversion benchmark: a menu of
nested POPUPs (four levels), separators, greyed and checked items, control
arrays and shortcuts, with CR LF line ends as VB writes them.

  make_form.py OUTPUT [MEGABYTES]     (default 60)

Prints the number of menu items it wrote."""

import sys


def item(out, depth, name, caption, extra=()):
    pad = "   " * depth
    out.append(f"{pad}Begin VB.Menu {name} \r\n")
    out.append(f'{pad}   Caption         =   "{caption}"\r\n')
    for line in extra:
        out.append(f"{pad}   {line}\r\n")


def end(out, depth):
    out.append("   " * depth + "End\r\n")


def main():
    path = sys.argv[1]
    target = int(sys.argv[2] if len(sys.argv) > 2 else 60) * 1024 * 1024
    items = 0
    written = 0
    with open(path, "w", encoding="ascii", newline="") as form:
        form.write('VERSION 5.00\r\nBegin VB.Form frmBench \r\n   Caption         =   "Benchmark"\r\n'
                   "   ClientHeight    =   3195\r\n   ClientWidth     =   4680\r\n")
        top = 0
        while written < target:
            out = []
            item(out, 1, f"mnuTop{top}", f"&Menu {top}")
            items += 1
            for sub in range(8):
                item(out, 2, f"mnuSub{top}_{sub}", f"Sub &{sub} of {top}")
                items += 1
                for leaf in range(10):
                    flags = []
                    if leaf % 7 == 3:
                        flags.append("Enabled         =   0   'False")
                    if leaf % 5 == 1:
                        flags.append("Checked         =   -1  'True")
                    if leaf % 4 == 0:
                        flags.append("Shortcut        =   ^A")
                    if leaf == 5:
                        item(out, 3, f"mnuDeep{top}_{sub}", f"&Deeper {top}.{sub}")
                        items += 1
                        for deep in range(4):
                            item(out, 4, f"mnuDeepItem{top}_{sub}", f'Deep item {deep} ""quoted""',
                                 [f"Index           =   {deep}"])
                            end(out, 4)
                            items += 1
                        end(out, 3)
                    elif leaf == 8:
                        item(out, 3, f"mnuSep{top}_{sub}", "-")
                        end(out, 3)
                        items += 1
                    else:
                        item(out, 3, f"mnuItem{top}_{sub}_{leaf}", f"Item &{leaf} of {top}.{sub}\\tCtrl+{leaf}", flags)
                        end(out, 3)
                        items += 1
                end(out, 2)
            end(out, 1)
            chunk = "".join(out)
            form.write(chunk)
            written += len(chunk)
            top += 1
        form.write('End\r\nAttribute VB_Name = "frmBench"\r\nAttribute VB_GlobalNameSpace = False\r\n')
    print(items)


if __name__ == "__main__":
    main()
