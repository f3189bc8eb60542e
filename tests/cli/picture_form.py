"""Forms of our own with pictures, and their .frx, written where a test asks:
the form's icon, a bitmap, a GIF, an icon in a PictureBox, a graphical button,
a metafile and an ImageList, each image with pixels a test can recognise; and
a second form with the form's own Picture, a label with a mouse pointer of its
own (a cursor), an SSTab with a tab picture and a graphical check box.
The .frx is built the way VB 6 stores pictures: a 32-bit length, the mark
6C 74 00 00, the image's size and the image (an ImageList's with a 16-byte
class id before the mark).
"""

import struct

# Pixel colours, as (red, green, blue).
BITMAP_CORNER = (0xC0, 0x40, 0x10)   # the bitmap's top-left pixel
GIF_TOP = (0x10, 0x20, 0x30)         # the GIF's top pixel
ICON_COLOUR = (0x20, 0x80, 0xE0)
FORM_PICTURE_COLOUR = (0x30, 0xA0, 0x50)  # every pixel of the second form's Picture


def bitmap(width, height, corner):
    """A bottom-up 24-bit BMP: every pixel grey but the top-left one."""
    row_size = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height):  # bottom row first
        row = b""
        for x in range(width):
            red, green, blue = corner if (x, y) == (0, height - 1) else (0x80, 0x80, 0x80)
            row += bytes((blue, green, red))
        rows.append(row.ljust(row_size, b"\0"))
    pixels = b"".join(rows)
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0) + pixels)


def icon(size, colour):
    """An ICO of one 32-bit image, every pixel `colour`, opaque."""
    red, green, blue = colour
    pixels = bytes((blue, green, red, 0xFF)) * (size * size)
    mask = b"\0" * ((size + 31) // 32 * 4 * size)
    image = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0) + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


def cursor(size, colour, hotspot):
    """The icon as a CUR file, its hotspot at `hotspot` (x, y)."""
    image = icon(size, colour)
    return struct.pack("<HHH", 0, 2, 1) + image[6:10] + struct.pack("<HH", *hotspot) + image[14:]


def solid_bitmap(width, height, colour):
    """A bottom-up 24-bit BMP of one colour."""
    red, green, blue = colour
    row_size = (width * 3 + 3) // 4 * 4
    pixels = bytes((blue, green, red) * width).ljust(row_size, b"\0") * height
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0) + pixels)


# 1 x 2 pixels: the top one GIF_TOP, the bottom one (0xA0, 0xB0, 0xC0).
GIF = (b"GIF89a\x01\x00\x02\x00\x80\x00\x00" + bytes(GIF_TOP) + b"\xA0\xB0\xC0" +
       b"\x2C\0\0\0\0\x01\x00\x02\x00\x00" + b"\x02\x02\x44\x0A\x00" + b"\x3B")
METAFILE = b"\xD7\xCD\xC6\x9A" + b"\0" * 18

BMP = bitmap(4, 3, BITMAP_CORNER)
ICO = icon(16, ICON_COLOUR)


def stored(image, active_x=False):
    if active_x:
        return struct.pack("<I", len(image) + 24) + b"\x11" * 16 + b"lt\0\0" + struct.pack("<I", len(image)) + image
    return struct.pack("<I", len(image) + 8) + b"lt\0\0" + struct.pack("<I", len(image)) + image


def write_frx(path, pictures):
    """Writes the (name, stored bytes) pictures one after another into the .frx `path`; gives the function that
    makes a form's reference to one by its name ("Pictures.frx":0A3C)."""
    frx, at = b"", {}
    for name, data in pictures:
        at[name] = len(frx)
        frx += data
    path.write_bytes(frx)
    return lambda name: f'"{path.name}":{at[name]:04X}'


def write_picture_form(folder):
    """Writes Pictures.frm and Pictures.frx into `folder`; gives the form's path."""
    ref = write_frx(folder / "Pictures.frx", (("icon", stored(ICO)), ("bitmap", stored(BMP)), ("gif", stored(GIF)),
                                              ("metafile", stored(METAFILE)), ("list", stored(BMP, True))))

    form = f"""VERSION 5.00
Begin VB.Form frmPictures
   Caption         =   "Pictures"
   ClientHeight    =   3000
   ClientWidth     =   4500
   Icon            =   {ref("icon")}
   Begin VB.Image Image1
      Height          =   450
      Left            =   150
      Picture         =   {ref("bitmap")}
      Top             =   150
      Width           =   450
   End
   Begin VB.Image Image2
      Height          =   900
      Left            =   900
      Picture         =   {ref("gif")}
      Stretch         =   -1  'True
      Top             =   150
      Width           =   900
   End
   Begin VB.PictureBox Picture1
      Height          =   600
      Left            =   2100
      Picture         =   {ref("icon")}
      TabIndex        =   1
      Top             =   150
      Width           =   600
   End
   Begin VB.CommandButton cmdGo
      Caption         =   "&Go"
      Height          =   450
      Left            =   150
      Picture         =   {ref("bitmap")}
      Style           =   1  'Graphical
      TabIndex        =   0
      Top             =   1500
      Width           =   1200
   End
   Begin VB.Image imgChart
      Height          =   450
      Left            =   1500
      Picture         =   {ref("metafile")}
      Top             =   1500
      Width           =   450
   End
   Begin MSComctlLib.ImageList ImageList1
      BeginProperty Images {{2C247F25-8591-11D1-B16A-00C0F0283628}}
         NumListImages   =   1
         BeginProperty ListImage1 {{2C247F27-8591-11D1-B16A-00C0F0283628}}
            Picture         =   {ref("list")}
         EndProperty
      EndProperty
   End
End
"""
    path = folder / "Pictures.frm"
    path.write_bytes(form.replace("\n", "\r\n").encode("ascii"))
    return path


CUR = cursor(32, (0xE0, 0x20, 0x20), (3, 5))
FORM_PICTURE = solid_bitmap(40, 30, FORM_PICTURE_COLOUR)


def write_pointer_form(folder):
    """Writes Pointers.frm and Pointers.frx into `folder`: the form's Picture (40 x 30 pixels in its top left
    corner), lblLink with a cursor of its own (MousePointer 99), cmdPlain without one, SSTab1 whose second tab has
    an icon, and the graphical check box chkBold with a bitmap. Gives the form's path."""
    ref = write_frx(folder / "Pointers.frx", (("picture", stored(FORM_PICTURE)), ("cursor", stored(CUR)),
                                              ("icon", stored(ICO, True)), ("bitmap", stored(BMP))))

    form = f"""VERSION 5.00
Object = "{{BDC217C8-ED16-11CD-956C-0000C04E4C0A}}#1.1#0"; "TABCTL32.OCX"
Begin VB.Form frmPointers
   Caption         =   "Pointers"
   ClientHeight    =   3000
   ClientWidth     =   4500
   Picture         =   {ref("picture")}
   Begin VB.Label lblLink
      Caption         =   "Link"
      Height          =   300
      Left            =   150
      MouseIcon       =   {ref("cursor")}
      MousePointer    =   99  'Custom
      Top             =   900
      Width           =   1200
   End
   Begin VB.CommandButton cmdPlain
      Caption         =   "Plain"
      Height          =   450
      Left            =   3000
      TabIndex        =   2
      Top             =   900
      Width           =   1200
   End
   Begin VB.CheckBox chkBold
      Caption         =   "B"
      Height          =   450
      Left            =   1500
      Picture         =   {ref("bitmap")}
      Style           =   1  'Graphical
      TabIndex        =   0
      Top             =   900
      Width           =   900
   End
   Begin TabDlg.SSTab SSTab1
      Height          =   1200
      Left            =   150
      TabIndex        =   1
      Top             =   1650
      Width           =   4200
      _Version        =   393216
      Tabs            =   2
      TabCaption(0)   =   "One"
      TabCaption(1)   =   "Two"
      TabPicture(1)   =   {ref("icon")}
   End
End
"""
    path = folder / "Pointers.frm"
    path.write_bytes(form.replace("\n", "\r\n").encode("ascii"))
    return path
