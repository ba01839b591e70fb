#include "HelpTexts.h"

// The fixed help texts, exactly as the program has always shown them.

HelpText HelpTexts::Overview() {
    return {QStringLiteral("KVU Overview"),
            QString::fromUtf16(u"KVU is a configuration utility for Tarvo3.\r\n"
                               u"\r\n"
                               u"There are 11 pages you can navigate to:\r\n"
                               u"  View>Module 1>Tab 1\tProgram Custom Attributes\r\n"
                               u"  View>Module 1>Tab 2\tIssue Supervisory Commands\r\n"
                               u"  View>Module 1>Tab 3\tUnder Construction\r\n"
                               u"  View>Module 2>Tab 1\tUnder Construction\r\n"
                               u"  View>Module 2>Tab 2\tUnder Construction\r\n"
                               u"  View>Module 2>Tab 3\tUnder Construction\r\n"
                               u"  View>Module 3>Tab 1\tUnder Construction\r\n"
                               u"  View>Module 3>Tab 2\tUnder Construction\r\n"
                               u"  View>Module 3>Tab 3\tUnder Construction\r\n"
                               u"  View>Module 4>\t\tUnder Construction\r\n"
                               u"  View>Module 5>\t\tUnder Construction\r\n")};
}

HelpText HelpTexts::CustomAttributes() {
    return {QStringLiteral("Custom Attributes Instructions"),
            QString::fromUtf16(
                u"Custom attributes sets the state of the printer upon power-up.\r\n"
                u"To program attributes, populate the desired check boxes and\r\n"
                u"combo boxes. Check boxes that are side-by-side are mutually\r\n"
                u"exclusive. Leave both boxes unchecked if you do not wish to\r\n"
                u"alter an attribute. Click \"Send All\" to program the printer\r\n"
                u"with the chosen attributes. The new state is retained while\r\n"
                u"the printer power is on. To make your changes permanent,\r\n"
                u"click \"Burn\". Select \"File > Save\" to save the states of your\r\n"
                u"check and combo boxes into a project file in the personal\r\n"
                u"computer. The Edit box is for exploring what an individual or a\r\n"
                u"combination of commands do to the printer. Click the \"Append\"\r\n"
                u"button to copy the command in the \"Last Command\" box.\r\n"
                u"Add your own messages by typing ordinary alphabets or the\r\n"
                u"\"^\" followed by an alphabet to enter control characters.\r\n"
                u"Use \\x00..\\xFF to enter any single-byte hex number. Then\r\n"
                u"click \"Send\" and \"CR/LF\" to send. The \"Export\" button creates\r\n"
                u"a binary file of commands.\r\n")};
}

HelpText HelpTexts::LogoDownload() {
    return {QStringLiteral("Logo Download Instructions"),
            QString::fromUtf16(u"Menu\n"
                               u"\n"
                               u"File>Open\t\tOpens and shows a bitmap file on screen.\n"
                               u"File>Exit \t\t\tExits the program.\n"
                               u"Configure>Serial Port \tSets com port # and baud rate.\n"
                               u"Configure>Logo Size \tSets logo height and width.\n"
                               u"View>Zoom \t\tChanges the image size.\n"
                               u"View>Darkness \t\tChanges the image darkness.\n"
                               u"\n"
                               u"Buttons\n"
                               u"\n"
                               u"Test Feed \t\tTests serial connection.\n"
                               u"Test Print \t\tPrints the shown logo without programing.\n"
                               u"Flash 0..7 \t\tPrograms the shown logo into the printer.\n"
                               u"Print Logo 0..7 \t\tPrints a logo that is in the printer.\n"
                               u"\n"
                               u"Mouse\n"
                               u"\n"
                               u"Left Button Drag \t\tPans the image.\n")};
}

HelpText HelpTexts::Bluetooth() {
    return {QStringLiteral("Bluetooth Instructions"),
            QString::fromUtf16(u"Bluetooth Configuration Module \n"
                               u"\n"
                               u"This section of the Help contains a description of the \n"
                               u"Bluetooth device settings supported in the KVU. It also \n"
                               u"contains specifications on how to use the Bluetooth module \n"
                               u"to change BT device configurations. \n"
                               u"\n"
                               u"Baud Rate \n"
                               u"\n"
                               u"The Bluetooth device does not support auto baud rate. The \n"
                               u"baud rate is set at the factory to 57600 or 115200 bits/s \n"
                               u"depending on the XTAL used.\n"
                               u"\n"
                               u"Pass-Thru Mode \n"
                               u"\n"
                               u"The printer can be placed in pass-thru mode. In pass-thru \n"
                               u"mode, data communication will only occur between the two \n"
                               u"selected UARTs. \n"
                               u"The mode of operation is used to setup the Bluetooth or \n"
                               u"802.11b/g interface parameters. While in this mode, printing \n"
                               u"is disabled. \n"
                               u"The pass-thru mode is terminated on communication timout or \n"
                               u"pressing the paper feed switch. \n"
                               u"Note: UART0 - reserved for Serial RS232 interface. \n"
                               u"          UART1 - reserved for Bluetooth or WiFi interfaces. \n"
                               u"          UART2 - reserved for Bluetooth or WiFi interfaces. \n"
                               u"          UART3 - reserved for IrDA interface. \n"
                               u"\n"
                               u"Data Mode and AT Mode\n"
                               u"\n"
                               u"The Bluetooth device can be in two different modes AT mode \n"
                               u"and data mode. The Bluetooth device starts up in data mode \n"
                               u"and can be requested to move to AT mode by sending an  \n"
                               u"escape sequence. The default escape sequence consists  \n"
                               u"of three consecutive forward slash characters \u2018/\u2019. \n"
                               u"The following criteria must be met for the Bluetooth device \n"
                               u"to interpret the sequence as a valid escape sequence: \n"
                               u"1) Before the escape sequence there must be silence \n"
                               u"for 1 second. \n"
                               u"2) After the escape sequence there must be silence \n"
                               u"for 1 second. \n"
                               u"3) The entire escape sequence must be sent within 200 ms. \n")};
}
HelpText HelpTexts::InternalStatus() {
    return {QString(),
            QStringLiteral("*** FOR INTERNAL USE ONLY ***\r\n"
                           "\r\n"
                           "Pictra Capabilites\r\n"
                           "- Opens uncompressed 24-bit BMP files.\r\n"
                           "- Shows the picture in colour and in black and white.\r\n"
                           "- Colour threshold of 25%, 50%, 75% or 99%.\r\n"
                           "- Zoom from x 0.5 to x 3.0; pan with the left mouse button.\r\n"
                           "- Logos 384, 576 or 832 dots wide and 1 to 299 dots high.\r\n"
                           "- Test print, flash into slots 0 to 7, print a stored slot.\r\n"
                           "\r\n"
                           "Pictra Limitations\r\n"
                           "- No compressed, palette or 32-bit BMP files.\r\n"
                           "- Pictures larger than 1024 x 768 are cut.\r\n"
                           "- No dithering: every dot is black or white by the threshold.\r\n"
                           "- The printer does not confirm a flashed logo.\r\n")};
}
