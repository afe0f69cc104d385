package com.olvan.dravix.server.app;

import com.olvan.dravix.Dravix;
import com.olvan.dravix.DravixProperty;
import jakarta.servlet.http.HttpServlet;
import jakarta.servlet.http.HttpServletRequest;
import jakarta.servlet.http.HttpServletResponse;
import java.io.IOException;

/**
 * An application that keeps a started service in a static field and never
 * closes it, as some do: its class loader then outlives its deployment.
 * Answers "kept NAME" once the service is kept, or what was thrown.
 */
public class KeepingServlet extends HttpServlet {
    private static final long serialVersionUID = 1L;
    private static Dravix kept;

    @Override
    protected void doGet(HttpServletRequest request, HttpServletResponse response) throws IOException {
        String name = request.getContextPath().substring(1);
        String answer;
        try {
            synchronized (KeepingServlet.class) {
                if (kept == null) {
                    Dravix service = new Dravix(new DravixProperty().setServiceName(name + "-kept"));
                    service.start();
                    kept = service;
                }
            }
            answer = "kept " + name;
        } catch (RuntimeException | LinkageError e) {
            answer = "thrown " + e.getClass().getName() + ": " + e.getMessage();
        }
        response.setContentType("text/plain;charset=UTF-8");
        response.getWriter().print(answer);
    }
}
