#include "TolvexApp.h"

int
main()
{
	TolvexApp app;
	app.Run();
	return 0;
}
