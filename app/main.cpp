#include <stdio.h>
#include <string.h>

#include "TolvexApp.h"

static const char* kUsage =
	"Uso: Tolvex [--refs FILE...]\n"
	"     Tolvex --help | --version\n"
	"\n"
	"Raccoglie file WAV in una lista e li codifica in MP3 con Gogo, uno\n"
	"dopo l'altro.\n"
	"\n"
	"  --refs FILE...  apre i file come se li si aprisse dal desktop: le\n"
	"                  liste si aprono, gli altri file vanno nella lista\n"
	"  --help          mostra questo aiuto ed esce\n"
	"  --version       mostra la versione ed esce\n"
	"\n"
	"Variabili d'ambiente:\n"
	"  BE_DISPLAY=fltk|headless  finestre vere (con DISPLAY) oppure\n"
	"                            nessuna finestra\n"
	"  BE_SCRIPT=FILE            senza finestre, esegue le azioni scritte\n"
	"                            nel file, una per riga\n"
	"  BE_SCALE=N                scala delle finestre, da 0.5 a 8\n"
	"                            (altrimenti da Xft.dpi dello schermo)\n"
	"\n"
	"Il manuale: man Tolvex\n";


// The words before "--refs" are the program's own; those after it are
// files. Help and the version need no display, so they are answered
// before the application object looks for one.
int
main(int argc, char** argv)
{
	for (int i = 1; i < argc && strcmp(argv[i], "--refs") != 0; i++) {
		if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
			fputs(kUsage, stdout);
			return 0;
		}
		if (strcmp(argv[i], "--version") == 0) {
			printf("Tolvex %s\n", kTolvexVersion);
			return 0;
		}
		if (argv[i][0] == '-') {
			fprintf(stderr, "Tolvex: opzione sconosciuta \"%s\".\n"
				"Provate \"Tolvex --help\".\n", argv[i]);
			return 2;
		}
	}

	status_t status;
	TolvexApp app(&status);
	if (status != B_OK) {
		// The display has said what is missing; the manual says more.
		fputs("Il manuale: man Tolvex\n", stderr);
		return 1;
	}
	app.Run();
	return 0;
}
