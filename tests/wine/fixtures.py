"""What the Wine tests feed the program and expect back: small driver folders of our own making
(placeholder driver files, PPDs of a few lines) and the program's box texts and styles."""

CONFIRMATION = ("Proceding will setup all the Windows NT(R)\r\n"
                "printer drivers supported by Folvane(TM).\r\n\r\n"
                "Click OK to begin installation,\r\n"
                "or Cancel to skip driver setup.")
SUCCEEDED = "Setup completed successfully."
FAILED = "Setup failed!"
WINE_FILE_NOT_FOUND = "File not found."  # Wine's own wording for code 2

ASK, INFO, ERROR = 0x1021, 0x1040, 0x1010
ARCHIVE, READONLY, HIDDEN, SYSTEM = 0x20, 0x1, 0x2, 0x4

DRIVER_FILES = {"PSCRIPT.DLL": "placeholder PostScript driver\r\n",
                "PSCRPTUI.DLL": "placeholder PostScript driver user interface\r\n"}


def ppd(*lines):
    return "".join(line + "\r\n" for line in ('*PPD-Adobe: "4.3"',) + lines)


PPD_2400 = ppd('*ShortNickName: "Folvane 2400"', '*NickName: "Folvane 2400 PS"')
PPD_3100 = ppd('*NickName: "Folvane 3100C PS"', '*ModelName: "Folvane 3100C"')
PPD_NAMELESS = ppd('*ModelName: "Folvane Nameless"', '*ShortNickName: "Nameless"')

TWO_MODELS = dict(DRIVER_FILES, **{"K2400.PPD": PPD_2400, "K3100C.PPD": PPD_3100})
ALL_COPIED = {name: ARCHIVE for name in TWO_MODELS}
