#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
    CLI::App app{"Zelvotrix command-line tool", "zelvotrix-cli"};
    app.require_subcommand(1);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
