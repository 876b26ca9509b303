// GNOME Shell 40 to 44: extensions are scripts with an init() function.
const {Clutter, Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;

//@DESKTOP@

class SarquenExtension {
    enable() {
        this._desktop = new SarquenDesktop();
    }

    disable() {
        this._desktop?.destroy();
        this._desktop = null;
    }
}

function init() {
    return new SarquenExtension();
}
