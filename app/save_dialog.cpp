#include "save_dialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "effect_preview.h"
#include "folder_chooser.h"
#include "picture_types.h"
#include "program.h"
#include "resource_ids.h"
#include "save.h"
#include "save_failure.h"
#include "save_names.h"
#include "settings.h"

namespace {

constexpr int kFormatColumnWidths[2] = {55, 220};
constexpr int kStartQuality = 75;

std::string ItemText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Ask(HWND dialog, UINT text, UINT title) {
    return MessageBoxA(dialog, ResourceString(text).c_str(), ResourceString(title).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Tell(HWND dialog, const std::string& text, UINT title) {
    MessageBoxA(dialog, text.c_str(), ResourceString(title).c_str(), MB_OK | MB_ICONWARNING);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A 4-colour preview cannot be painted at 2 bits: its indexes are widened to
// a 16-colour block with the same colour table.
void WidenTwoBitsToFour(DibBlock* block) {
    const int width = DibWidth(block), height = DibHeight(block);
    const DWORD fromRow = DibRowBytesFor(width, 2);
    std::vector<BYTE> indexes(static_cast<size_t>(fromRow) * height);
    std::memcpy(indexes.data(), block->pixels, indexes.size());
    RGBQUAD colours[4];
    std::memcpy(colours, DibColors(block), sizeof colours);
    SetDibFormat(block, 4);
    std::memset(DibColors(block), 0, 16 * sizeof(RGBQUAD));
    std::memcpy(DibColors(block), colours, sizeof colours);
    const DWORD toRow = DibRowBytes(block->header);
    for (int y = 0; y < height; ++y) {
        const BYTE* from = indexes.data() + static_cast<size_t>(y) * fromRow;
        BYTE* to = block->pixels + static_cast<size_t>(y) * toRow;
        std::memset(to, 0, toRow);
        for (int x = 0; x < width; ++x) {
            const int index = (from[x >> 2] >> (6 - 2 * (x & 3))) & 3;
            to[x >> 1] |= static_cast<BYTE>(index << ((x & 1) ? 0 : 4));
        }
    }
}

// What both dialogs share: the format list, the depth radios, the quality
// and the preview.
struct SaveDialogBase {
    const DibBlock* source = nullptr;     // 32-bit, previewed
    std::string sourcePath;               // "" for a picture without a file
    std::string folder;                   // where names without one go
    SaveDialogMemory* memory = nullptr;
    int nameEdit = IDC_SAVE_NAME;         // the edit whose extension follows the format
    std::vector<int> writable;            // PictureTypes() indexes, one per row
    int row = 0;
    int depth = kSave32Bits;
    OwnedDib scaled;                      // the source fitted into the preview
    OwnedDib shown;                       // scaled, at the chosen depth
    bool opening = false;

    const PictureType* SelectedType() const {
        if (row < 0 || row >= static_cast<int>(writable.size())) return nullptr;
        return &PictureTypes()[static_cast<size_t>(writable[static_cast<size_t>(row)])];
    }
    DWORD Mask() const { return SelectedType() ? SelectedType()->saveDepths : 0; }
    const char* FormatName() const { return SelectedType() ? SelectedType()->name : ""; }

    void OpenCommon(HWND dialog) {
        opening = true;
        CheckDlgButton(dialog, IDC_SAVE_OVERWRITE_EXIST, memory->overwriteExist ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_SAVE_OVERWRITE_ORIGINAL, memory->overwriteOriginal ? BST_CHECKED : BST_UNCHECKED);
        HWND list = GetDlgItem(dialog, IDC_SAVE_FORMATS);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        std::string headings = ResourceString(IDS_SAVE_FORMAT_COLUMNS);
        for (int column = 0; column < 2; ++column) {
            const size_t at = headings.find('@');
            std::string title = headings.substr(0, at);
            headings = at == std::string::npos ? std::string() : headings.substr(at + 1);
            LVCOLUMNA c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH;
            c.cx = kFormatColumnWidths[column];
            c.pszText = const_cast<char*>(title.c_str());
            ListView_InsertColumn(list, column, &c);
        }
        writable = WritablePictureTypes();
        int bmp = 0;
        for (size_t i = 0; i < writable.size(); ++i) {
            const PictureType& type = PictureTypes()[static_cast<size_t>(writable[i])];
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = const_cast<char*>(type.name);
            ListView_InsertItem(list, &item);
            ListView_SetItemText(list, static_cast<int>(i), 1, const_cast<char*>(type.description));
            if (lstrcmpiA(type.name, "BMP") == 0) bmp = static_cast<int>(i);
        }
        row = memory->formatRow >= 0 && memory->formatRow < static_cast<int>(writable.size()) ? memory->formatRow : bmp;

        HWND quality = GetDlgItem(dialog, IDC_SAVE_QUALITY);
        SendMessageA(quality, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
        SendMessageA(quality, TBM_SETPAGESIZE, 0, 10);
        SendMessageA(quality, TBM_SETTICFREQ, 1, 0);
        SendMessageA(quality, TBM_SETPOS, TRUE, kStartQuality);
        ShowQuality(dialog);

        const SIZE box = ControlSize(dialog, IDC_SAVE_PREVIEW);
        if (source) {
            const SIZE size = FitSize(box.cx, box.cy, DibWidth(source), DibHeight(source), 1);
            scaled.Reset(ScaleDib(source, size.cx, size.cy));
            shown.Reset(CreateDib(size.cx, size.cy));
        }
        EnableForFormat(dialog);
        depth = -1;
        ChooseDepth(dialog, DefaultSaveDepth(Mask()));
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
        opening = false;
    }

    void EnableForFormat(HWND dialog) {
        const DWORD mask = Mask();
        for (int index = 0; index < kSaveDepthCount; ++index)
            EnableWindow(GetDlgItem(dialog, IDC_SAVE_DEPTH_FIRST + index), (mask & (1u << index)) != 0);
        const bool quality = (mask & kSaveDepthQuality) != 0;
        EnableWindow(GetDlgItem(dialog, IDC_SAVE_QUALITY), quality);
        EnableWindow(GetDlgItem(dialog, IDC_SAVE_QUALITY_TEXT), quality);
    }

    int Quality(HWND dialog) const {
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_SAVE_QUALITY, TBM_GETPOS, 0, 0));
    }
    void ShowQuality(HWND dialog) {
        char text[16];
        std::snprintf(text, sizeof text, "%d%%", Quality(dialog));
        SetDlgItemTextA(dialog, IDC_SAVE_QUALITY_TEXT, text);
    }

    // Checks the radio of a depth and shows the preview at that depth.
    void ChooseDepth(HWND dialog, int index) {
        CheckRadioButton(dialog, IDC_SAVE_DEPTH_FIRST, IDC_SAVE_DEPTH_LAST, IDC_SAVE_DEPTH_FIRST + index);
        if (index == depth) return;
        depth = index;
        memory->depth = index;
        if (!scaled || !shown) return;
        HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        if (ConvertForSave(scaled.get(), shown.get(), index)) {
            if (index == kSave4Colors) WidenTwoBitsToFour(shown.get());
        } else {
            CopyDib(scaled.get(), shown.get());
        }
        SetCursor(previous);
        InvalidateRect(GetDlgItem(dialog, IDC_SAVE_PREVIEW), nullptr, FALSE);
    }

    void RowChanged(HWND dialog, int newRow) {
        if (newRow == row && !opening) return;
        row = newRow;
        memory->formatRow = row;
        EnableForFormat(dialog);
        ChooseDepth(dialog, DefaultSaveDepth(Mask()));
        const std::string name = ItemText(dialog, nameEdit);
        if (!name.empty()) SetDlgItemTextA(dialog, nameEdit, ReplaceExtension(name, FormatName()).c_str());
    }

    void Remember(HWND dialog) {
        settings::Write(settings::kQuality, Quality(dialog));
        memory->overwriteExist = IsDlgButtonChecked(dialog, IDC_SAVE_OVERWRITE_EXIST) == BST_CHECKED;
        memory->overwriteOriginal = IsDlgButtonChecked(dialog, IDC_SAVE_OVERWRITE_ORIGINAL) == BST_CHECKED;
        memory->formatRow = row;
    }

    // Asks the overwrite questions for an existing target; false when the
    // user says No.  A target equal to the source's own path is the
    // original; a picture without a file has no original, and then any
    // existing file is asked about.
    bool MayReplace(HWND dialog, const std::string& target) const {
        if (!FileExists(target)) return true;
        const bool original = !sourcePath.empty() && lstrcmpiA(target.c_str(), sourcePath.c_str()) == 0;
        if (original) {
            if (IsDlgButtonChecked(dialog, IDC_SAVE_OVERWRITE_ORIGINAL) == BST_CHECKED) return true;
            return Ask(dialog, IDS_OVERWRITE_ORIGINAL, IDS_OVERWRITE_ORIGINAL_TITLE);
        }
        if (!sourcePath.empty() && IsDlgButtonChecked(dialog, IDC_SAVE_OVERWRITE_EXIST) == BST_CHECKED) return true;
        return Ask(dialog, IDS_OVERWRITE_EXISTING, IDS_OVERWRITE_EXISTING_TITLE);
    }

    // Converts a frame or the picture for the chosen depth and writes it.
    // False after telling the user why.
    bool Write(HWND dialog, const DibBlock* picture, const std::string& target) const {
        OwnedDib converted;
        const DibBlock* written = picture;
        if (depth != kSave32Bits) {
            converted.Reset(CreateDib(DibWidth(picture), DibHeight(picture)));
            HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
            const bool ok = converted && ConvertForSave(picture, converted.get(), depth);
            SetCursor(previous);
            if (!ok) {
                Tell(dialog, ResourceString(IDS_NO_MEMORY_FOR_DIB), IDS_NO_MEMORY_FOR_DIB_TITLE);
                return false;
            }
            written = converted.get();
        }
        SaveError error;
        if (SaveDibToFile(target.c_str(), FormatName(), written, Quality(dialog), &error)) return true;
        Tell(dialog, SaveFailureText(target, FormatName(), error), IDS_SAVE_FAILED_TITLE);
        return false;
    }

    // The typed folder or name as a full path; false after telling why.
    bool Resolve(HWND dialog, const std::string& typed, std::string* full) const {
        bool tooLong = false;
        if (ResolveSaveName(typed, folder, full, &tooLong)) return true;
        const std::string reason = ResourceString(tooLong ? IDS_SAVE_NAME_TOO_LONG : IDS_SAVE_NO_FOLDER);
        Tell(dialog, FormatResource(IDS_SAVE_FAILED, typed.c_str(), reason.c_str()), IDS_SAVE_FAILED_TITLE);
        return false;
    }
};

struct SavePictureDialog : SaveDialogBase {
    std::string suggested;

    void Open(HWND dialog) {
        OpenCommon(dialog);
        const std::string start = !sourcePath.empty() ? sourcePath : suggested.empty() ? std::string("SAVE") : suggested;
        SetDlgItemTextA(dialog, IDC_SAVE_NAME, ReplaceExtension(start, FormatName()).c_str());
    }

    void ChoosePath(HWND dialog) {
        const std::string name = ItemText(dialog, IDC_SAVE_NAME);
        std::string full;
        const std::string start = ResolveSaveName(name, folder, &full) ? FolderOf(full) : folder;
        const std::string chosen = ChooseFolder(dialog, ResourceString(IDS_SAVE_CHOOSE_FOLDER).c_str(), start);
        if (chosen.empty()) return;
        const size_t slash = name.find_last_of("\\/");
        const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
        SetDlgItemTextA(dialog, IDC_SAVE_NAME, (WithTrailingBackslash(chosen) + file).c_str());
    }

    void Command(HWND, int, int) {}

    bool Accept(HWND dialog) {
        Remember(dialog);
        std::string target;
        if (!Resolve(dialog, ItemText(dialog, IDC_SAVE_NAME), &target)) return false;
        if (!MayReplace(dialog, target)) return false;
        return Write(dialog, source, target);
    }
};

struct SavePicturesDialog : SaveDialogBase {
    const FrameList* frames = nullptr;
    unsigned base = 0;
    bool filling = false;

    std::string Template(HWND dialog) const { return ItemText(dialog, IDC_SAVE_TEMPLATE); }

    void Open(HWND dialog) {
        nameEdit = IDC_SAVE_TEMPLATE;
        OpenCommon(dialog);
        SetDlgItemTextA(dialog, IDC_SAVE_NAME, WithTrailingBackslash(folder).c_str());
        const std::string pattern = ResourceString(IDS_FRAME_NAME_TEMPLATE) + "." + FormatName();
        SetDlgItemTextA(dialog, IDC_SAVE_TEMPLATE, pattern.c_str());
        SetDlgItemInt(dialog, IDC_SAVE_FRAME_COUNT, static_cast<UINT>(frames->count), FALSE);
        base = FirstFrameBase(folder, pattern);
        filling = true;
        SetDlgItemInt(dialog, IDC_SAVE_BASE, base, FALSE);
        filling = false;
        FillFrom(dialog);
        SendDlgItemMessageA(dialog, IDC_SAVE_FROM, CB_SETCURSEL, 0, 0);
        FillTo(dialog);
        SendDlgItemMessageA(dialog, IDC_SAVE_TO, CB_SETCURSEL,
                            SendDlgItemMessageA(dialog, IDC_SAVE_TO, CB_GETCOUNT, 0, 0) - 1, 0);
    }

    void FillFrom(HWND dialog) {
        HWND from = GetDlgItem(dialog, IDC_SAVE_FROM);
        LRESULT kept = SendMessageA(from, CB_GETCURSEL, 0, 0);
        SendMessageA(from, CB_RESETCONTENT, 0, 0);
        for (int i = 0; i < frames->count; ++i) {
            const std::string number = std::to_string(base + static_cast<unsigned>(i) + 1);
            SendMessageA(from, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.c_str()));
        }
        SendMessageA(from, CB_SETCURSEL, kept == CB_ERR ? 0 : kept, 0);
    }

    // The To list runs from the From selection to the last frame; it keeps
    // its last frame chosen when it was, else the same frame as before.
    void FillTo(HWND dialog) {
        HWND to = GetDlgItem(dialog, IDC_SAVE_TO);
        const int first = FromIndex(dialog);
        const int keptIndex = ToIndex(dialog);
        SendMessageA(to, CB_RESETCONTENT, 0, 0);
        for (int i = first; i < frames->count; ++i) {
            const std::string number = std::to_string(base + static_cast<unsigned>(i) + 1);
            SendMessageA(to, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.c_str()));
        }
        const int select = keptIndex >= first ? keptIndex - first : frames->count - 1 - first;
        SendMessageA(to, CB_SETCURSEL, select, 0);
    }

    int FromIndex(HWND dialog) const {
        const LRESULT selected = SendDlgItemMessageA(dialog, IDC_SAVE_FROM, CB_GETCURSEL, 0, 0);
        return selected == CB_ERR ? 0 : static_cast<int>(selected);
    }
    int ToIndex(HWND dialog) const {
        const LRESULT selected = SendDlgItemMessageA(dialog, IDC_SAVE_TO, CB_GETCURSEL, 0, 0);
        return selected == CB_ERR ? -1 : FromIndex(dialog) + static_cast<int>(selected);
    }

    void BaseEdited(HWND dialog) {
        if (filling) return;
        BOOL ok = FALSE;
        const UINT typed = GetDlgItemInt(dialog, IDC_SAVE_BASE, &ok, FALSE);
        base = ok ? typed : 0;
        FillFrom(dialog);
        FillTo(dialog);
    }

    void Command(HWND dialog, int id, int code) {
        if (id == IDC_SAVE_BASE && code == EN_CHANGE) BaseEdited(dialog);
        if (id == IDC_SAVE_FROM && code == CBN_SELCHANGE) FillTo(dialog);
    }

    void ChoosePath(HWND dialog) {
        std::string start;
        if (!ResolveSaveName(ItemText(dialog, IDC_SAVE_NAME), folder, &start)) start = folder;
        const std::string chosen = ChooseFolder(dialog, ResourceString(IDS_SAVE_CHOOSE_FOLDER).c_str(), start);
        if (!chosen.empty()) SetDlgItemTextA(dialog, IDC_SAVE_NAME, WithTrailingBackslash(chosen).c_str());
    }

    bool Accept(HWND dialog) {
        Remember(dialog);
        std::string saveFolder;
        if (!Resolve(dialog, ItemText(dialog, IDC_SAVE_NAME), &saveFolder)) return false;
        const std::string pattern = Template(dialog);
        if (pattern.empty() || pattern.find_first_of("\\/:") != std::string::npos) {
            Tell(dialog, ResourceString(IDS_FRAME_TEMPLATE_BAD), IDS_SAVE_FAILED_TITLE);
            return false;
        }
        const int from = FromIndex(dialog), to = ToIndex(dialog);
        if (to < from) return false;
        // Every name first: a range whose names collide is refused before
        // anything is written.
        std::vector<std::string> names;
        int first = 0, second = 0;
        if (!BuildFrameNames(saveFolder, pattern, base, from, to, &names, &first, &second)) {
            const std::string format = ResourceString(IDS_FRAME_NAMES_COLLIDE);
            std::vector<char> text(format.size() + names[static_cast<size_t>(first - from)].size() + 64);
            std::snprintf(text.data(), text.size(), format.c_str(), static_cast<int>(base) + first + 1,
                          static_cast<int>(base) + second + 1, names[static_cast<size_t>(first - from)].c_str());
            Tell(dialog, text.data(), IDS_SAVE_FAILED_TITLE);
            return false;
        }
        for (const std::string& name : names) {
            if (name.size() > kLongestSavePath) {
                Tell(dialog, FormatResource(IDS_SAVE_FAILED, name.c_str(), ResourceString(IDS_SAVE_NAME_TOO_LONG).c_str()),
                     IDS_SAVE_FAILED_TITLE);
                return false;
            }
        }
        for (int frame = from; frame <= to; ++frame) {
            const std::string& name = names[static_cast<size_t>(frame - from)];
            const unsigned number = base + static_cast<unsigned>(frame) + 1;
            if (FrameNumberWraps(pattern, number) && FileExists(name) &&
                lstrcmpiA(name.c_str(), sourcePath.c_str()) != 0) {
                // The number lost its leading digits: the file there belongs
                // to another number, whatever the check box says.
                const std::string format = ResourceString(IDS_FRAME_NAME_WRAPS);
                std::vector<char> text(format.size() + name.size() + 32);
                std::snprintf(text.data(), text.size(), format.c_str(), static_cast<int>(number), name.c_str());
                if (MessageBoxA(dialog, text.data(), ResourceString(IDS_OVERWRITE_EXISTING_TITLE).c_str(),
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
                    return true;
            } else if (!MayReplace(dialog, name)) {
                return true;   // a No ends the run
            }
            const DibBlock* picture = frames->frame(frames->context, frame);
            if (!picture) {
                Tell(dialog, ResourceString(IDS_NO_MEMORY_FOR_DIB), IDS_NO_MEMORY_FOR_DIB_TITLE);
                return false;
            }
            if (!Write(dialog, picture, name)) return false;
        }
        return true;
    }
};

template <class D>
INT_PTR CALLBACK SaveDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    D* d = reinterpret_cast<D*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        reinterpret_cast<D*>(lp)->Open(dialog);
        CentreOverOwner(dialog);
        return TRUE;
    case WM_HSCROLL:
        if (d && reinterpret_cast<HWND>(lp) == GetDlgItem(dialog, IDC_SAVE_QUALITY)) d->ShowQuality(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (d && wp == IDC_SAVE_PREVIEW) {
            PaintPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), d->shown.get());
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        if (d && header->idFrom == IDC_SAVE_FORMATS && header->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED))
                d->RowChanged(dialog, change->iItem);
        }
        return TRUE;
    }
    case WM_COMMAND: {
        if (!d) break;
        const int id = LOWORD(wp);
        if (id == IDOK) {
            if (d->Accept(dialog)) EndDialog(dialog, 1);
        } else if (id == IDCANCEL) {
            EndDialog(dialog, 0);
        } else if (id == IDC_SAVE_CHOOSE_PATH) {
            d->ChoosePath(dialog);
        } else if (id >= IDC_SAVE_DEPTH_FIRST && id <= IDC_SAVE_DEPTH_LAST && HIWORD(wp) == BN_CLICKED) {
            d->ChooseDepth(dialog, id - IDC_SAVE_DEPTH_FIRST);
        } else {
            d->Command(dialog, id, HIWORD(wp));
        }
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

SaveDialogMemory& SavePictureMemory() {
    static SaveDialogMemory memory;
    return memory;
}

SaveDialogMemory& SavePicturesMemory() {
    static SaveDialogMemory memory;
    return memory;
}

bool RunSavePictureDialog(HWND owner, const DibBlock* source, const std::string& sourcePath,
                          const std::string& folder, const std::string& suggestedName) {
    if (!source || source->header->biBitCount != 32) return false;
    SavePictureDialog d;
    d.source = source;
    d.sourcePath = sourcePath;
    d.folder = !sourcePath.empty() ? FolderOf(sourcePath) : folder;
    d.suggested = suggestedName;
    d.memory = &SavePictureMemory();
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_SAVE_PICTURE), owner,
                           SaveDialogProc<SavePictureDialog>, reinterpret_cast<LPARAM>(&d)) == 1;
}

bool SavePictureDialogForDib(HWND owner, const DibBlock* dib, const std::string& folder) {
    const std::string suggested = folder.empty() ? std::string("NewFile.BMP") : WithTrailingBackslash(folder) + "NewFile.BMP";
    return RunSavePictureDialog(owner, dib, "", folder, suggested);
}

bool RunSavePicturesDialog(HWND owner, const FrameList& frames, const DibBlock* current,
                           const std::string& sourcePath, const std::string& folder) {
    if (frames.count < 1 || !frames.frame) return false;
    SavePicturesDialog d;
    d.source = current;
    d.sourcePath = sourcePath;
    d.folder = folder.empty() ? FolderOf(sourcePath) : folder;
    d.frames = &frames;
    d.memory = &SavePicturesMemory();
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_SAVE_PICTURES), owner,
                           SaveDialogProc<SavePicturesDialog>, reinterpret_cast<LPARAM>(&d)) == 1;
}
