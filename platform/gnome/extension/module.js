// GNOME Shell 45 and later: extensions are modules whose default export is the extension.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

//@DESKTOP@

export default class SarquenExtension extends Extension {
    enable() {
        this._desktop = new SarquenDesktop();
    }

    disable() {
        this._desktop?.destroy();
        this._desktop = null;
    }
}
