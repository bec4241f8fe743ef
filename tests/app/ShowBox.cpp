// Shows one of the program's boxes on its own, for looking at it on a real display:
//   Ortavo.box [notice|error] [text]    (the title comes from the name, as the program's)
#include "app/Application.h"

#include <string_view>

int main(int argc, char** argv) {
    ortavo::TApplication application(argc, argv);
    const std::string_view kind = argc > 1 ? argv[1] : "notice";
    const ortavo::String text = argc > 2 ? ortavo::FromUtf8(argv[2]) : ortavo::String(u"Concluído");
    if (kind == "error")
        application.ShowException(ortavo::Exception(text));
    else
        application.ShowNotice(text);
    return 0;
}
