// GNOME Shell 42 to 44: the extension as a script in the imports.* format.
'use strict';
const {Gio, GLib, Meta} = imports.gi;
const Main = imports.ui.main;
