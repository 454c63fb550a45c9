/*
 * helpview-send: drives a running help viewer from the command line.
 *
 *   helpview-send navigate ADDRESS   the viewer shows ADDRESS
 *   helpview-send close              the viewer closes
 *
 * Exit codes: 0 the viewer took the command; 1 no viewer runs; 2 bad
 * arguments; 3 a viewer runs but did not answer.
 *
 * The program's manifest makes UTF-8 its code page: its command line, and
 * so the ADDRESS it sends, carries every character (on systems that ignore
 * the entry, those of the system's code page).
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "helpview.h"

enum { ExitSent = 0, ExitNoViewer = 1, ExitUsage = 2, ExitNoAnswer = 3 };

/* The limit goes into the message as text: a printf here would link the C
   runtime's whole formatter, most of this program's size. */
#define DIGITS_OF(number) #number
#define DIGITS(number) DIGITS_OF(number)

static int Usage(void)
{
    fputs("usage: helpview-send navigate ADDRESS\n"
          "       helpview-send close\n"
          "Sends a command to the running help viewer (window class " HELPVIEW_CLASS ").\n",
          stderr);
    return ExitUsage;
}

static int Report(int result)
{
    switch (result) {
    case HELPVIEW_SENT:
        return ExitSent;
    case HELPVIEW_NO_VIEWER:
        fputs("helpview-send: no help viewer is running\n", stderr);
        return ExitNoViewer;
    default:
        fputs("helpview-send: the help viewer did not answer\n", stderr);
        return ExitNoAnswer;
    }
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "navigate") == 0) {
        size_t length = strlen(argv[2]);
        if (length == 0) {
            fputs("helpview-send: the address is empty\n", stderr);
            return Usage();
        }
        if (length > HELPVIEW_MAX_ADDRESS) {
            fputs("helpview-send: the address is longer than " DIGITS(HELPVIEW_MAX_ADDRESS) " bytes\n", stderr);
            return ExitUsage;
        }
        return Report(HelpViewNavigate(argv[2]));
    }
    if (argc == 2 && strcmp(argv[1], "close") == 0)
        return Report(HelpViewClose());
    return Usage();
}
