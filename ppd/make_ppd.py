#!/usr/bin/env python3
"""Writes KORVANE_ZR.ppd: the queue's options and their texts in six languages.

The PPD is generated because every option, choice and page size carries a
translation for each language of the status monitor; editing that many lines
by hand invites a missing or mismatched one (cupstestppd checks that none is
missing). Run it after changing a table below and commit both files:
    python3 ppd/make_ppd.py > ppd/KORVANE_ZR.ppd
"""

LANGS = ["de", "fr", "es", "ja", "zh_CN"]

# Words that recur in option and choice texts: English, then the languages.
WORDS = {
    "Off": ["Aus", "Désactivé", "Desactivado", "オフ", "关"],
    "On": ["Ein", "Activé", "Activado", "オン", "开"],
    "Normal": ["Normal", "Normal", "Normal", "標準", "标准"],
    "Red": ["Rot", "rouge", "rojo", "赤", "红"],
    "Green": ["Grün", "vert", "verde", "緑", "绿"],
    "Blue": ["Blau", "bleu", "azul", "青", "蓝"],
    "Gamma": ["Gamma", "Gamma", "Gamma", "ガンマ", "伽马"],
    "Brightness": ["Helligkeit", "Luminosité", "Brillo", "明るさ", "亮度"],
    "Contrast": ["Kontrast", "Contraste", "Contraste", "コントラスト", "对比度"],
    # Appended to every option that acts only with Color Adjustment on.
    "needs": ["(bei Farbanpassung Ein)", "(avec Réglage des couleurs activé)",
              "(con Ajuste de color activado)", "（色調整オン時）", "（需开启颜色调整）"],
    "two on": ["zwei auf", "deux sur", "dos en", "2枚を", "两张于"],
}

GROUPS = {
    "General": ["General", "Allgemein", "Général", "General", "一般", "常规"],
    "Finish": ["Printing", "Druck", "Impression", "Impresión", "印刷", "打印"],
    "Image": ["Image Quality", "Bildqualität", "Qualité d'image", "Calidad de imagen", "画質", "图像质量"],
    "ColorAdjustment": ["Color Adjustment", "Farbanpassung", "Réglage des couleurs", "Ajuste de color",
                        "色調整", "颜色调整"],
}


def t(english):
    """The texts of a recurring word: English and the five languages."""
    return [english] + WORDS[english]


def inches(text, lang):
    """Sizes are written as the status monitor writes them: 5x3.5in, with the
    language's decimal separator."""
    return text.replace(".", ",") if lang in ("de", "fr", "es") else text


# Page sizes: keyword, the English text, width and length in points (the
# paper's nominal size, so that CUPS publishes the standard PWG name where
# one exists), and for two-up sizes the sheet they share. Only upright sizes
# are offered: the converters turn a landscape photo onto the page and the
# filter turns the page onto the paper, so a landscape twin would print the
# same sheet (the filter still takes the landscape keywords 153x102mm,
# 127x89mm and their two-up forms, which older queues may have saved).
SIZES = [
    ("102x153mm", "4x6in", 288, 432, None),
    ("102x153mmx2", "4x6in", 288, 432, "6x8in"),
    ("89x127mm", "3.5x5in", 252, 360, None),
    ("89x127mmx2", "3.5x5in", 252, 360, "5x7in"),
    ("127x127mm", "5x5in", 360, 360, None),
    ("127x178mm", "5x7in", 360, 504, None),
    ("153x153mm", "6x6in", 432, 432, None),
    ("153x204mm", "6x8in", 432, 576, None),
]
DEFAULT_SIZE = "102x153mm"
# Sizes on which the printer makes no 2 inch cut (it cuts 6 in wide paper only).
NO_CUT_SIZES = ["89x127mm", "89x127mmx2", "127x127mm", "127x178mm", "153x153mm"]


def size_texts(text, sheet):
    texts = []
    for i, lang in enumerate(["en"] + LANGS):
        if sheet is None:
            texts.append(inches(text, lang))
        elif lang == "en":
            texts.append(f"{text}, two on {sheet}")
        elif lang in ("ja", "zh_CN"):
            on = "（" + inches(sheet, lang) + "に2枚）" if lang == "ja" else "（" + inches(sheet, lang) + "上两张）"
            texts.append(inches(text, lang) + on)
        else:
            texts.append(f"{inches(text, lang)}, {WORDS['two on'][i - 1]} {inches(sheet, lang)}")
    return texts


def steps(low, high, step):
    """Numeric choices: keyword and texts, 0 read as Normal."""
    out = []
    for v in range(low, high + 1, step):
        label = t("Normal") if v == 0 else [f"{v:+d}"] * 6
        out.append((str(v), label))
    return out


OFF_ON = [("Disable", t("Off")), ("Enable", t("On"))]

# Options: keyword, texts, group, order, default, choices [(keyword, texts)].
OPTIONS = [
    ("Resolution", ["Resolution", "Auflösung", "Résolution", "Resolución", "解像度", "分辨率"], "General", 20,
     "300dpi", [
         ("300dpi", ["Standard (300 dpi)", "Standard (300 dpi)", "Standard (300 dpi)", "Estándar (300 dpi)",
                     "標準（300 dpi）", "标准（300 dpi）"]),
         ("300x600dpi", ["Fine (300 x 600 dpi)", "Fein (300 x 600 dpi)", "Fin (300 x 600 dpi)",
                         "Fina (300 x 600 dpi)", "高精細（300 x 600 dpi）", "精细（300 x 600 dpi）"]),
         ("600x600dpi", ["600 x 600 dpi"] * 6),
     ]),
    ("ZvoOvercoatFinish", ["Surface Finish", "Oberfläche", "Finition", "Acabado", "表面仕上げ", "表面处理"],
     "Finish", 30, "Glossy", [
         ("Glossy", ["Glossy", "Glänzend", "Brillant", "Brillante", "光沢", "光面"]),
         ("Luster", ["Luster", "Seidenglanz", "Lustré", "Satinado", "ラスター", "绒面"]),
         ("Matte", ["Matte", "Matt", "Mat", "Mate", "マット", "哑光"]),
         ("FineMatte", ["Fine Matte", "Feinmatt", "Mat fin", "Mate fino", "ファインマット", "细哑光"]),
     ]),
    ("ZvoBorder", ["Borders", "Ränder", "Bordures", "Bordes", "フチ", "边框"], "Finish", 31, "Disable", [
        ("Disable", ["Borderless", "Randlos", "Sans bordure", "Sin bordes", "フチなし", "无边框"]),
        ("Enable", ["White Borders", "Weiße Ränder", "Bordures blanches", "Bordes blancos", "白フチ",
                    "白色边框"]),
    ]),
    ("Zvo2InchCut", ["2 Inch Cut (6x4in and 6x8in)", "2-Zoll-Schnitt (6x4in und 6x8in)",
                     "Découpe 2 pouces (6x4in et 6x8in)", "Corte de 2 pulgadas (6x4in y 6x8in)",
                     "2インチカット（6x4in・6x8in）", "2英寸裁切（6x4in和6x8in）"], "Finish", 32, "Disable", OFF_ON),
    ("ZvoPrintSpeed", ["High Speed (300 x 600 dpi only)", "Schnelldruck (nur 300 x 600 dpi)",
                       "Impression rapide (300 x 600 dpi uniquement)", "Alta velocidad (solo 300 x 600 dpi)",
                       "高速印刷（300 x 600 dpi のみ）", "高速打印（仅限 300 x 600 dpi）"], "Finish", 33, "Disable",
     OFF_ON),
    ("ZvoPrintRetry", ["Print Retry", "Druckwiederholung", "Nouvelle tentative d'impression",
                       "Reintento de impresión", "印刷リトライ", "打印重试"], "Finish", 34, "Enable", OFF_ON),
    ("ZvoSharpness", ["Sharpness", "Schärfe", "Netteté", "Nitidez", "シャープネス", "锐度"], "Image", 40, "0",
     steps(-2, 8, 1)),
    ("ZvoColorAdjustment", ["Color Adjustment", "Farbanpassung", "Réglage des couleurs", "Ajuste de color",
                            "色調整", "颜色调整"], "ColorAdjustment", 41, "Disable", OFF_ON),
    ("ZvoChroma", [a + " " + b for a, b in zip(["Saturation", "Sättigung", "Saturation", "Saturación", "彩度",
                                                 "饱和度"], ["(with Color Adjustment On)"] + WORDS["needs"])],
     "ColorAdjustment", 42, "0", steps(-100, 100, 10)),
]
# The per-channel tone options. The combined ZvoGamma, ZvoBrightness and
# ZvoContrast stay job options the filter honours, but are not offered: a
# PPD default for them would override every channel.
for order, what in ((43, "Gamma"), (44, "Brightness"), (45, "Contrast")):
    for suffix, colour in (("R", "Red"), ("G", "Green"), ("B", "Blue")):
        needs = ["(with Color Adjustment On)"] + WORDS["needs"]
        name, col = t(what), t(colour)
        texts = [f"{name[i]} {col[i]} {needs[i]}" for i in range(4)]
        texts += [f"{col[4]}の{name[4]}{needs[4]}", f"{col[5]}色{name[5]}{needs[5]}"]
        OPTIONS.append((f"Zvo{what}{suffix}", texts, "ColorAdjustment", order, "0", steps(-100, 100, 10)))

HEADER = """*PPD-Adobe: "4.3"
*% Queue description of the Korvane ZR dye-sublimation photo printer.
*% Generated by make_ppd.py; change the tables there, not this file.
*% Pages reach korvane_zr_filter as 8-bit RGB CUPS raster. Every page size is
*% the paper's nominal size and borderless, so that CUPS publishes it under
*% its standard PWG name; the printer's picture is slightly larger than the
*% paper so that it runs off every edge, and the filter scales each page to
*% cover it (or, with print-scaling=fit, to lie inside it). The two-up sizes
*% (suffix x2) describe one picture each; the filter pairs them on one sheet
*% when the backend reports loaded media.
*FormatVersion: "4.3"
*FileVersion: "1.1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*cupsLanguages: "de fr es ja zh_CN"
*PCFileName: "KORVANZR.PPD"
*Manufacturer: "KORVANE"
*Product: "(ZR)"
*ModelName: "KORVANE ZR"
*ShortNickName: "KORVANE ZR"
*NickName: "KORVANE ZR"
*1284DeviceID: "MANUFACTURER:KORVANE;MODEL:ZR;COMMAND SET:ZR;"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsModelNumber: 0
*cupsManualCopies: True
*cupsMaxCopies: 999
*cupsFilter2: "application/vnd.cups-raster application/vnd.cups-raster 0 korvane_zr_filter"
"""

RESOLUTION_CODE = {
    "300dpi": "300 300", "300x600dpi": "300 600", "600x600dpi": "600 600",
}


def pt(v):
    return f"{v:g}"


def emit():
    out = [HEADER]
    w = out.append
    # The printer's dependencies: high speed exists only at 300 x 600 dpi,
    # the 2 inch cut only on 6 in wide paper.
    for res in ("300dpi", "600x600dpi"):
        w(f"*UIConstraints: *ZvoPrintSpeed Enable *Resolution {res}")
        w(f"*UIConstraints: *Resolution {res} *ZvoPrintSpeed Enable")
    for size in NO_CUT_SIZES:
        w(f"*UIConstraints: *Zvo2InchCut Enable *PageSize {size}")
        w(f"*UIConstraints: *PageSize {size} *Zvo2InchCut Enable")
    w("")
    groups = ["General", "Finish", "Image", "ColorAdjustment"]
    for group in groups:
        w(f"*OpenGroup: {group}/{GROUPS[group][0]}")
        w("")
        if group == "General":
            emit_sizes(w)
        for key, texts, g, order, default, choices in OPTIONS:
            if g != group:
                continue
            w(f"*OpenUI *{key}/{texts[0]}: PickOne")
            w(f"*OrderDependency: {order} AnySetup *{key}")
            w(f"*Default{key}: {default}")
            for choice, ctexts in choices:
                code = ""
                if key == "Resolution":
                    code = (f"<</HWResolution[{RESOLUTION_CODE[choice]}]/cupsBitsPerColor 8/cupsColorOrder 0"
                            f"/cupsColorSpace 1>>setpagedevice")
                w(f'*{key} {choice}/{ctexts[0]}: "{code}"')
            w(f"*CloseUI: *{key}")
            w("")
        w(f"*CloseGroup: {group}")
        w("")
    emit_translations(w)
    w("*% End of KORVANE_ZR.ppd")
    return "\n".join(out) + "\n"


def emit_sizes(w):
    for key, label in (("PageSize", "Media Size"), ("PageRegion", "Media Size")):
        w(f"*OpenUI *{key}/{label}: PickOne")
        w(f"*OrderDependency: 10 AnySetup *{key}")
        w(f"*Default{key}: {DEFAULT_SIZE}")
        for name, text, width, length, sheet in SIZES:
            w(f'*{key} {name}/{size_texts(text, sheet)[0]}: '
              f'"<</PageSize[{pt(width)} {pt(length)}]/ImagingBBox null>>setpagedevice"')
        w(f"*CloseUI: *{key}")
        w("")
    w(f"*DefaultImageableArea: {DEFAULT_SIZE}")
    for name, text, width, length, sheet in SIZES:
        w(f'*ImageableArea {name}/{size_texts(text, sheet)[0]}: "0 0 {pt(width)} {pt(length)}"')
    w("")
    w(f"*DefaultPaperDimension: {DEFAULT_SIZE}")
    for name, text, width, length, sheet in SIZES:
        w(f'*PaperDimension {name}/{size_texts(text, sheet)[0]}: "{pt(width)} {pt(length)}"')
    w("")


SIZE_LABEL = ["Media Size", "Papierformat", "Format du papier", "Tamaño del papel", "用紙サイズ", "纸张尺寸"]


def emit_translations(w):
    for i, lang in enumerate(LANGS, start=1):
        w(f"*% {lang}")
        for group in GROUPS:
            w(f'*{lang}.Translation {group}/{GROUPS[group][i]}: ""')
        for key in ("PageSize", "PageRegion"):
            w(f'*{lang}.Translation {key}/{SIZE_LABEL[i]}: ""')
            for name, text, _, _, sheet in SIZES:
                w(f'*{lang}.{key} {name}/{size_texts(text, sheet)[i]}: ""')
        for name, text, _, _, sheet in SIZES:
            w(f'*{lang}.ImageableArea {name}/{size_texts(text, sheet)[i]}: ""')
            w(f'*{lang}.PaperDimension {name}/{size_texts(text, sheet)[i]}: ""')
        for key, texts, _, _, _, choices in OPTIONS:
            w(f'*{lang}.Translation {key}/{texts[i]}: ""')
            for choice, ctexts in choices:
                w(f'*{lang}.{key} {choice}/{ctexts[i]}: ""')
        w("")


if __name__ == "__main__":
    import sys
    sys.stdout.write(emit())
